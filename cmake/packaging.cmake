# Everything installed besides the two programs (manual pages, completion, and
# the window's guide, desktop entry, icon and metainfo), and the Debian package
# that CPack makes of the installed tree (scripts/package builds it).

# The window's id: the desktop entry, the icon and the metainfo are named after
# it, and software centres join them by it.
set(BRAMIX_APP_ID io.github.bramix.bramix)
set(BRAMIX_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/bramix)  # the window looks for the guide here

# Manual pages go out compressed, as Debian requires; man reads them either way.
# gzip -n leaves out the name and time, so the same page gives the same bytes.
file(MAKE_DIRECTORY ${PROJECT_BINARY_DIR}/man ${PROJECT_BINARY_DIR}/package)
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

# The Debian package.
set(BRAMIX_PACKAGE_MAINTAINER "Bramix maintainers <maintainers@users.noreply.c-seed-b0de0fc3.example>"
    CACHE STRING "The Maintainer of the Debian package: a name and <address>")

# Debian wants a copyright file and a changelog in the package's doc folder. They
# belong to the package only, so a plain `cmake --install` leaves them out. The
# changelog's one entry carries the project version; its date is the build's,
# or SOURCE_DATE_EPOCH (scripts/package sets it to the last commit's).
string(TIMESTAMP changelog_date "%a, %d %b %Y %H:%M:%S +0000" UTC)
file(WRITE ${PROJECT_BINARY_DIR}/package/changelog
    "bramix (${PROJECT_VERSION}) unstable; urgency=medium\n\n"
    "  * Built from the Bramix sources at version ${PROJECT_VERSION}.\n\n"
    " -- ${BRAMIX_PACKAGE_MAINTAINER}  ${changelog_date}\n")
execute_process(COMMAND gzip -9n INPUT_FILE ${PROJECT_BINARY_DIR}/package/changelog
    OUTPUT_FILE ${PROJECT_BINARY_DIR}/package/changelog.gz COMMAND_ERROR_IS_FATAL ANY)
install(FILES ${PROJECT_SOURCE_DIR}/res/copyright ${PROJECT_BINARY_DIR}/package/changelog.gz
    DESTINATION ${BRAMIX_DOC_DIR} COMPONENT deb EXCLUDE_FROM_ALL)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME bramix)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${BRAMIX_PACKAGE_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "find and download music posted on Korean blogs")
# Wrapped by hand: Debian shows each line as it is.
set(CPACK_PACKAGE_DESCRIPTION [[
Bramix finds MP3 and WMA files posted on Korean blog services (Naver blog,
Daum blog, Tistory) and downloads them. It asks the search engines, opens
every post they name, picks out audio attachments, download links and
embedded players, and lists every find, the ones that match the search first.]])
if(BRAMIX_BUILD_WINDOW)
    string(APPEND CPACK_PACKAGE_DESCRIPTION
        "\n\nThis package holds the window, bramix, and the command line, bramix-cli.")
else()
    string(APPEND CPACK_PACKAGE_DESCRIPTION "\n\nThis package holds the command line, bramix-cli.")
endif()
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# The whole install, plus the files only the package carries.
set(CPACK_INSTALL_CMAKE_PROJECTS
    "${PROJECT_BINARY_DIR};${PROJECT_NAME};ALL;/"
    "${PROJECT_BINARY_DIR};${PROJECT_NAME};deb;/")
set(CPACK_STRIP_FILES ON)
# Folders made on the way get the usual modes whatever the builder's umask.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
# Depends: what dpkg-shlibdeps finds for the libraries the programs link, plus
# the Korean font that the window asks for and Qt's own Korean texts.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
if(BRAMIX_BUILD_WINDOW)
    set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-nanum, qt6-translations-l10n")
endif()
include(CPack)
