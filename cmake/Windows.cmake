# The Windows build: the C and C++ runtimes linked in, so that the programs run from a folder
# with nothing else in it; the version resource; the header-only JSON library of the build
# machine.
add_link_options(-static)
enable_language(RC)
# Windows 10 and later.
add_compile_definitions(_WIN32_WINNT=0x0A00 WINVER=0x0A00 UNICODE _UNICODE)
# GCC 12 warns of overlapping copies inside std::string that cannot happen (GCC bug 105329).
add_compile_options(-Wno-restrict)

if(CMAKE_CROSSCOMPILING)
    # Only its headers are taken, copied apart so that the cross compiler sees no other header of
    # the build machine.
    find_path(KVQ_HOST_JSON nlohmann/json.hpp PATHS /usr/include NO_CMAKE_FIND_ROOT_PATH REQUIRED)
    file(COPY ${KVQ_HOST_JSON}/nlohmann DESTINATION ${CMAKE_BINARY_DIR}/host-include)
    add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED)
    target_include_directories(nlohmann_json::nlohmann_json SYSTEM INTERFACE
        ${CMAKE_BINARY_DIR}/host-include)
else()
    find_package(nlohmann_json 3 REQUIRED)
endif()

# A program's version resource (Explorer's "Details"; --version reads it back): FILE is the
# program's file name, DESCRIPTION what it is; ICON, when given, becomes the program's icon.
function(kvq_windows_resource target file description)
    set(KVQ_RC_FILE ${file})
    set(KVQ_RC_DESCRIPTION ${description})
    set(KVQ_RC_ICON "")
    if(ARGC GREATER 3)
        set(KVQ_RC_ICON "1 ICON \"${ARGV3}\"")
    endif()
    set(rc ${CMAKE_BINARY_DIR}/generated/${target}.rc)
    configure_file(${PROJECT_SOURCE_DIR}/cmake/version.rc.in ${rc} @ONLY)
    target_sources(${target} PRIVATE ${rc})
endfunction()
