# The .deb: `cpack -G DEB` in the build folder. Dependencies come from
# dpkg-shlibdeps, so they follow the libraries the program really links.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ostrel-brimkit)
set(CPACK_PACKAGE_VENDOR Ostrel)
set(CPACK_PACKAGE_CONTACT "Ostrel <support@ostrel.app>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Timers, alarms and small tools in the system tray")
# Lines under 80 characters, as Debian's control fields want them.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
  "A small utility that lives in the system tray. Its tray item carries the"
  "running countdown, a finished session or a ringing alarm; desktops that draw"
  "item labels show the time beside the icon. A click opens a panel of compact"
  "tools: keep the computer awake for a while, countdowns and focus sessions,"
  "up to 20 one-time alarms (delivered by a systemd user timer also while the"
  "app is closed), a link cleaner that strips tracking parameters, a launcher"
  "for the suite's other applications, a colour picker, text transforms and QR"
  "codes. Everything works locally.")
set(CPACK_PACKAGE_HOMEPAGE_URL https://ostrel.app)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded at run time, so dpkg-shlibdeps cannot see them: without qt6-wayland
# a Wayland session with no XWayland has no display for Qt; libcanberra
# plays the sounds (loaded at the first).
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-wayland, libcanberra0")
set(CPACK_STRIP_FILES ON)
# Entries are written at install time with the prefix the package installs to.
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX /usr)
include(CPack)
