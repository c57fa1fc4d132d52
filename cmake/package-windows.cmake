# SPDX-License-Identifier: MIT
# The download for Windows users: one ZIP, Gantrel-<version>-win64.zip, holding gantrel.exe,
# gantrel-scan.exe, gantrel-copy.exe, gantrel-relink.exe (stripped, statically linked) and a
# short README, all at its top level. Built by scripts/package-windows.
install(FILES ${PROJECT_SOURCE_DIR}/src/ui/win32/README.txt DESTINATION ${CMAKE_INSTALL_BINDIR})

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME Gantrel)
set(CPACK_PACKAGE_FILE_NAME Gantrel-${PROJECT_VERSION}-win64)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_STRIP_FILES ON)
include(CPack)
