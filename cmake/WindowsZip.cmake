# The zip for Windows users: cpack -G ZIP in the Windows build folder makes
# kvqsetup-cli-VERSION-windows-x86_64.zip, one folder with the companion, the example
# vocabulary, the example setups and a README for Windows users.
install(TARGETS kvqsetup-cli RUNTIME DESTINATION .)
install(FILES examples/alternative.txt examples/default.br1
              examples/default.fe2 examples/default.lo3
        DESTINATION examples)
install(FILES examples/alternative.kvq DESTINATION .)
install(FILES packaging/README-windows.txt DESTINATION . RENAME README.txt)
set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME kvqsetup-cli)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_SYSTEM_NAME windows-x86_64)
set(CPACK_STRIP_FILES ON)
include(CPack)
