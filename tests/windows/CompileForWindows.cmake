# cmake -DLISTS=FILE -P CompileForWindows.cmake, FILE setting COMPILER, SOURCES and INCLUDES.
# Compiles each source for Windows without writing anything (-fsyntax-only); fails with the
# compiler's messages of every source that does not compile.
include(${LISTS})
set(flags -std=c++20 -fsyntax-only -w)
foreach(folder IN LISTS INCLUDES)
    list(APPEND flags -I${folder})
endforeach()
set(failed "")
foreach(source IN LISTS SOURCES)
    execute_process(COMMAND ${COMPILER} ${flags} ${source}
                    RESULT_VARIABLE status ERROR_VARIABLE messages)
    if(NOT status EQUAL 0)
        list(APPEND failed ${source})
        message("${messages}")
    endif()
endforeach()
list(LENGTH SOURCES checked)
if(failed)
    message(FATAL_ERROR "does not compile for Windows: ${failed}")
endif()
message("${checked} sources compile for Windows")
