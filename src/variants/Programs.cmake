# The two desktop programs, one per radio model, and what they install beside them.
foreach(prog IN ITEMS "xtra;WR7310SXtra" "old;WR7310S")
    list(GET prog 0 dir)
    list(GET prog 1 name)
    set(folder ${CMAKE_CURRENT_LIST_DIR}/${dir})
    add_executable(${name} ${folder}/main.cpp ${folder}/icons.qrc)
    set_target_properties(${name} PROPERTIES AUTORCC ON)
    target_link_libraries(${name} PRIVATE wr7310_gui)
    install(TARGETS ${name} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    install(FILES ${folder}/${name}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    install(FILES ${folder}/${name}.svg
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
    install(FILES ${folder}/${name}-48.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/48x48/apps
            RENAME ${name}.png)
endforeach()
