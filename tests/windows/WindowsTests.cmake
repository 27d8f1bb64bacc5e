# The Windows build's tests, run under Wine: the core test programs (above), and the companion's
# tests of a Linux build (tests/cli) run against kvqsetup-cli.exe, those that make sense on
# Windows. No display: Wine's console programs need none.
find_program(KVQ_WINEBOOT wineboot REQUIRED)

# A private Wine configuration in the build folder, made before the first test runs.
add_test(NAME wine_prefix COMMAND ${CMAKE_CROSSCOMPILING_EMULATOR} wineboot -i)
set_tests_properties(wine_prefix PROPERTIES FIXTURES_SETUP wine TIMEOUT 300)
foreach(layer base setup edit import settings)
    set_tests_properties(kvq_${layer}_tests PROPERTIES FIXTURES_REQUIRED wine)
endforeach()

# The window is not built for Windows here (there is no Qt for Windows on the build machine), but
# its sources are compiled for Windows: the cross compiler checks each one against the build
# machine's Qt 6 headers, whose parts the window uses are the same on every system. So nothing of
# Linux's own creeps into the window outside the files of Linux.
set(KVQ_HOST_QT_HEADERS /usr/include/x86_64-linux-gnu/qt6 CACHE PATH
    "The Qt 6 headers of the build machine")
if(EXISTS ${KVQ_HOST_QT_HEADERS}/QtWidgets)
    file(GLOB window_sources ${PROJECT_SOURCE_DIR}/src/app/*.cpp)
    list(FILTER window_sources EXCLUDE REGEX "(Linux|Posix)\\.cpp$")
    set(window_includes ${PROJECT_SOURCE_DIR}/src ${PROJECT_BINARY_DIR}/generated
                        ${KVQ_HOST_QT_HEADERS})
    foreach(module QtCore QtGui QtWidgets QtPrintSupport)
        list(APPEND window_includes ${KVQ_HOST_QT_HEADERS}/${module})
    endforeach()
    set(window_lists ${CMAKE_CURRENT_BINARY_DIR}/WindowSources.cmake)
    file(WRITE ${window_lists}
         "set(COMPILER \"${CMAKE_CXX_COMPILER}\")\n"
         "set(SOURCES \"${window_sources}\")\nset(INCLUDES \"${window_includes}\")\n")
    add_test(NAME window_sources_compile_for_windows
             COMMAND ${CMAKE_COMMAND} -DLISTS=${window_lists}
                     -P ${CMAKE_CURRENT_LIST_DIR}/CompileForWindows.cmake)
    set_tests_properties(window_sources_compile_for_windows PROPERTIES TIMEOUT 600)
endif()

set(KVQ_HOST_CLI_TESTS "" CACHE FILEPATH
    "kvq_cli_tests of a Linux build, to run against kvqsetup-cli.exe")
if(NOT KVQ_HOST_CLI_TESTS)
    return()
endif()
# What the Linux harness runs as the companion: the Windows one under Wine, which gets its
# arguments as UTF-8 whatever the caller's locale.
set(KVQ_WINE_CLI ${CMAKE_BINARY_DIR}/kvqsetup-cli-wine.sh)
file(GENERATE OUTPUT ${KVQ_WINE_CLI}
     CONTENT "#!/bin/sh\nLC_ALL=C.UTF-8 exec '${CMAKE_CROSSCOMPILING_EMULATOR}' '$<TARGET_FILE:kvqsetup-cli>' \"$@\"\n"
     FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)
# Left out: what Windows has not (FIFOs, process substitution, /dev/full, a closed standard
# output, POSIX signals, names that are no UTF-8 or hold control characters), messages that name
# a file in a folder given with "/" (Windows joins it with "\") and the bash completion.
set(windows_cli_tests
    CliTest.SheetOfOneFile
    CliTest.SheetsOfSeveralFilesHaveHeadersAndGearsByName
    CliTest.UnreadableFile
    CliTest.LimitsFileNarrowsTheSheet
    CliTest.UsageErrors
    CliTest.HelpGoesToStandardOutput
    CliTest.NormaliseWritesTheWholeRecord
    CliTest.NormaliseManyIntoAFolder
    CliTest.NormaliseFailureToWriteIsBadInput
    CliTest.ANameBeyondAsciiAndAReadOnlyTarget
    CliTest.ImportReadsBackWhatSheetPrints
    CliTest.ImportFromStandardInputNormalisesUnlessRaw
    CliTest.ImportOfUnrecognisedTextWritesNothing
    CliTest.CopyGroupsIntoTheTarget
    CliTest.CopyFromASourceThatIsNoSetup
    DumpDiffSetTest.*
    -DumpDiffSetTest.DumpJsonOfANameThatIsNoUtf8
)
string(REPLACE ";-" "-" filter "${windows_cli_tests}")
string(REPLACE ";" ":" filter "${filter}")
add_test(NAME kvq_cli_tests_windows COMMAND ${KVQ_HOST_CLI_TESTS} --gtest_filter=${filter})
set_tests_properties(kvq_cli_tests_windows PROPERTIES
    FIXTURES_REQUIRED wine ENVIRONMENT "KVQ_CLI=${KVQ_WINE_CLI}" TIMEOUT 600)
