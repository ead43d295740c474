# `cmake --install BUILD --prefix P`: the two programs, their man pages, the
# desktop entry with its icons and file type, and bash completion.
include(GNUInstallDirs)
install(TARGETS orvoplayer orvokit RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/docs/man/orvoplayer.1 ${PROJECT_SOURCE_DIR}/docs/man/orvokit.1
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${PROJECT_SOURCE_DIR}/dist/orvoplayer.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/dist/icons/orvoplayer.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${PROJECT_SOURCE_DIR}/dist/icons/orvoplayer-256.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/256x256/apps RENAME orvoplayer.png)
install(FILES ${PROJECT_SOURCE_DIR}/dist/orvoplayer-mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
        RENAME orvoplayer.xml)
install(FILES ${PROJECT_SOURCE_DIR}/dist/completion/orvoplayer ${PROJECT_SOURCE_DIR}/dist/completion/orvokit
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
