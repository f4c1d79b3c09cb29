# SPDX-License-Identifier: GPL-3.0-or-later
# The Windows release: `cpack -G ZIP` in build/mingw makes wr7310-<version>-win64.zip for
# portable use, and scripts/windows-installer.sh the installer, from the same tree: bin\ holds
# the desktop programs and the command-line tool (statically linked, each runs alone),
# share\wr7310\ the default settings and share\doc\wr7310\ the help page, where the programs
# look for them; the README and the licence at the top.
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION .)
install(FILES ${PROJECT_SOURCE_DIR}/dist/settings/WR7310SXtra.ini
              ${PROJECT_SOURCE_DIR}/dist/settings/WR7310S.ini
        DESTINATION ${CMAKE_INSTALL_DATADIR}/wr7310)
foreach(licence LICENSE LICENSE.txt LICENSE.md COPYING)
    if(EXISTS ${PROJECT_SOURCE_DIR}/${licence})
        install(FILES ${PROJECT_SOURCE_DIR}/${licence} DESTINATION .)
    endif()
endforeach()

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME wr7310)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME wr7310-${PROJECT_VERSION}-win64)
set(CPACK_STRIP_FILES ON)
include(CPack)
