# The Windows release: `cpack -G ZIP` in build/mingw makes wr7310-<version>-win64.zip with the
# command-line tool (statically linked, it runs alone), the README and the licence.
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION .)
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
