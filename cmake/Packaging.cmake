# The .deb: `cpack -G DEB` in the build folder. Dependencies come from
# dpkg-shlibdeps, so they follow the libraries the program really links.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ostrel-brimkit)
set(CPACK_PACKAGE_VENDOR Ostrel)
set(CPACK_PACKAGE_CONTACT "Ostrel <support@ostrel.app>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Timers, alarms and small tools in the system tray")
set(CPACK_PACKAGE_HOMEPAGE_URL https://ostrel.app)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
# Entries are written at install time with the prefix the package installs to.
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX /usr)
include(CPack)
