# SPDX-License-Identifier: GPL-3.0-or-later
# The two desktop programs, one per radio model, and what they install beside them.
if(WIN32)
    enable_language(RC)
endif()
foreach(prog IN ITEMS "xtra;WR7310SXtra" "old;WR7310S")
    list(GET prog 0 dir)
    list(GET prog 1 name)
    set(folder ${CMAKE_CURRENT_LIST_DIR}/${dir})
    add_executable(${name} ${CMAKE_CURRENT_LIST_DIR}/../desktop/${dir}/main.cpp ${folder}/icons.qrc)
    set_target_properties(${name} PROPERTIES AUTORCC ON)
    target_link_libraries(${name} PRIVATE wr7310_gui)
    if(WIN32)
        # A GUI program (no console window of its own) with its icon, version and manifest.
        set(icon ${folder}/${name}.ico)
        set(manifest ${PROJECT_SOURCE_DIR}/cmake/windows/program.manifest)
        configure_file(${PROJECT_SOURCE_DIR}/cmake/windows/program.rc.in
                       ${CMAKE_CURRENT_BINARY_DIR}/${name}.rc @ONLY)
        target_sources(${name} PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/${name}.rc)
        set_target_properties(${name} PROPERTIES WIN32_EXECUTABLE ON)
    endif()
    install(TARGETS ${name} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    if(WIN32)
        continue() # the Windows installer registers the program and its file type itself
    endif()
    install(FILES ${folder}/${name}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    install(FILES ${folder}/${name}.svg
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
    install(FILES ${folder}/${name}-48.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/48x48/apps
            RENAME ${name}.png)
endforeach()
