# Everything installed besides the two programs: manual pages, completion, and
# the window's guide, desktop entry, icon and metainfo.

# The window's id: the desktop entry, the icon and the metainfo are named after
# it, and software centres join them by it.
set(BRAMIX_APP_ID io.github.bramix.bramix)
set(BRAMIX_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/bramix)  # the window looks for the guide here

# Manual pages go out compressed, as Debian requires; man reads them either way.
# gzip -n leaves out the name and time, so the same page gives the same bytes.
file(MAKE_DIRECTORY ${PROJECT_BINARY_DIR}/man)
set(man_pages bramix-cli.1)
if(BRAMIX_BUILD_WINDOW)
    list(APPEND man_pages bramix.1)
endif()
foreach(page IN LISTS man_pages)
    set(source ${PROJECT_SOURCE_DIR}/docs/${page})
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${source})
    execute_process(COMMAND gzip -9n INPUT_FILE ${source}
        OUTPUT_FILE ${PROJECT_BINARY_DIR}/man/${page}.gz COMMAND_ERROR_IS_FATAL ANY)
    install(FILES ${PROJECT_BINARY_DIR}/man/${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()

install(FILES ${PROJECT_SOURCE_DIR}/res/bramix-cli.bash
    DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME bramix-cli)

if(BRAMIX_BUILD_WINDOW)
    install(FILES ${PROJECT_SOURCE_DIR}/docs/guide.html DESTINATION ${BRAMIX_DOC_DIR})
    install(FILES ${PROJECT_SOURCE_DIR}/res/${BRAMIX_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    install(FILES ${PROJECT_SOURCE_DIR}/res/${BRAMIX_APP_ID}.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
    install(FILES ${PROJECT_SOURCE_DIR}/res/${BRAMIX_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
endif()
