# Installs Tarnvale where a Linux desktop finds it, and packs it as a Debian package.
include(GNUInstallDirs)

set(TARNVALE_APP_ID org.tarnvale.Tarnvale)

install(TARGETS tarnvale RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES packaging/${TARNVALE_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES packaging/${TARNVALE_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES packaging/${TARNVALE_APP_ID}.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

set(CPACK_PACKAGE_NAME tarnvale)
set(CPACK_PACKAGE_VENDOR "The Tarnvale authors")
set(CPACK_PACKAGE_CONTACT "The Tarnvale authors")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Analyse an age-structured population with a Leslie matrix")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
# The build keeps its debugging information; a user's package need not carry it.
set(CPACK_STRIP_FILES ON)
# The Qt libraries come from dpkg-shlibdeps; the platform plugin and the fonts are loaded at run
# time, so they are named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-liberation")
include(CPack)
