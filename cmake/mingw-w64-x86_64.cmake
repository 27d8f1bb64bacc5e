# Cross build for 64-bit Windows with Debian's MinGW-w64 compilers, the variant with POSIX threads
# (g++-mingw-w64-x86-64-posix), whose C++ library has std::thread and std::mutex.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(KVQ_MINGW x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${KVQ_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KVQ_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${KVQ_MINGW}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${KVQ_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Programs built here run on this machine under Wine (tests, test discovery).
find_program(KVQ_WINE64 wine64 PATHS /usr/lib/wine REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${KVQ_WINE64})
