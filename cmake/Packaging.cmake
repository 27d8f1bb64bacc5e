# The manual pages, the AppStream data, the Debian documentation files and the Debian package.
#   cpack -G DEB                       (in the build folder), or
#   cmake --build build --target package
# make kvqsetup_VERSION_ARCH.deb, installing under /usr.

# ---------------------------------------------------------------------------------------------
# Manual pages, made by help2man from the programs' own --help and --version, so that they say
# what the programs say, with the hand-written sections of packaging/PROGRAM.h2m (files, exit
# status). Compressed as Debian wants them: gzip -9, no name or time stamp.
find_program(KVQ_HELP2MAN help2man REQUIRED)
find_program(KVQ_GZIP gzip REQUIRED)
set(KVQ_MAN_DIR ${CMAKE_BINARY_DIR}/man)
set(manual_pages)
foreach(program kvqsetup kvqsetup-cli)
    set(page ${KVQ_MAN_DIR}/${program}.1)
    add_custom_command(OUTPUT ${page}.gz
        COMMAND ${CMAKE_COMMAND} -E make_directory ${KVQ_MAN_DIR}
        COMMAND ${KVQ_HELP2MAN} --no-info --include=${PROJECT_SOURCE_DIR}/packaging/${program}.h2m
                --output=${page} $<TARGET_FILE:${program}>
        COMMAND ${KVQ_GZIP} -9nf ${page}
        DEPENDS ${program} ${PROJECT_SOURCE_DIR}/packaging/${program}.h2m
        COMMENT "Manual page ${program}(1)"
        VERBATIM)
    list(APPEND manual_pages ${page}.gz)
endforeach()
add_custom_target(kvq_manual_pages ALL DEPENDS ${manual_pages})
install(FILES ${manual_pages} DESTINATION share/man/man1)

# ---------------------------------------------------------------------------------------------
# What software centres show, and the documentation every Debian package carries.
set(KVQ_APPSTREAM_ID io.github.kvqsetup.kvqsetup)
install(FILES desktop/${KVQ_APPSTREAM_ID}.metainfo.xml DESTINATION share/metainfo)

set(changelog ${CMAKE_BINARY_DIR}/packaging/changelog.gz)
add_custom_command(OUTPUT ${changelog}
    COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/packaging/changelog ${CMAKE_BINARY_DIR}/packaging/changelog
    COMMAND ${KVQ_GZIP} -9nf ${CMAKE_BINARY_DIR}/packaging/changelog
    DEPENDS ${PROJECT_SOURCE_DIR}/packaging/changelog
    VERBATIM)
add_custom_target(kvq_changelog ALL DEPENDS ${changelog})
install(FILES packaging/copyright ${changelog} DESTINATION share/doc/kvqsetup)

# ---------------------------------------------------------------------------------------------
# The Debian package. Its dependencies are those dpkg-shlibdeps finds for the programs. The
# desktop entry, the file type and the icon reach the desktop's databases through the file
# triggers of desktop-file-utils, shared-mime-info and the icon cache, so the package needs no
# maintainer scripts; the file-type database that a plain install rebuilds in its prefix is left
# out of the package (KVQ_PACKAGING), where it would replace the system's.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kvqsetup)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_CUSTOM_INSTALL_VARIABLES KVQ_PACKAGING=ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_CONTACT "KVQ Setup authors <maintainers@users.noreply.c-seed-f80d5a96.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "viewer and editor for KVQ car setups")
set(CPACK_PACKAGE_DESCRIPTION
    "KVQ Setup shows the car setups of KVQ, a racing simulation of historical
Formula 1 cars, as a setup sheet, one page per setup, and lets the values be
changed in place within the limits the cars allow. Setups can be copied as
text and pasted back, printed, and have their gearbox or chassis copied from
another setup.

kvqsetup-cli does the same for scripts and batch work: setup sheets, dumps,
comparisons, changes and normalising of many files at a time.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The completion of kvqsetup-cli is loaded by bash-completion.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS bash-completion)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)

# The package test builds the package and looks at it from outside. A package of programs built
# with the sanitizers is nothing anyone would ship, so the sanitizer builds leave it out (and save
# the time).
if(CMAKE_CXX_FLAGS MATCHES "-fsanitize")
    set(KVQ_PACKAGE_TEST OFF)
else()
    set(KVQ_PACKAGE_TEST ON)
endif()
