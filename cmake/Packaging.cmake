# Installation (cmake --install) and the Debian package (cpack, "make package").
include(GNUInstallDirs)

if(TALVORO_WITH_UI)
  install(TARGETS talvoro RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
install(TARGETS talvoro-server RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET talvoro-restart)
  install(TARGETS talvoro-restart RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

# The service unit names the server's path, known only when installing (cpack installs to /usr).
install(CODE "
  set(TALVORO_SERVER_PATH \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/talvoro-server\")
  set(unit \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/lib/systemd/system/talvoro-server.service\")
  message(STATUS \"Installing: \${unit}\")
  configure_file(\"${PROJECT_SOURCE_DIR}/packaging/talvoro-server.service.in\" \"\${unit}\" @ONLY)
")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME talvoro)
set(CPACK_PACKAGE_VENDOR Oskvale)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "chat for the local network, desktop program and server")
set(CPACK_PACKAGE_DESCRIPTION
    "Talvoro is a chat program for a local network: a main channel, topics, whispers and a \
private group, file transfer between users. The desktop program (talvoro) is client and server \
in one; talvoro-server runs the server on a machine without a display, with a systemd unit \
(talvoro-server.service, not enabled on installation).")
set(CPACK_PACKAGE_CONTACT "Talvoro developers <talvoro@localhost>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
# The libraries the programs link (Qt 6, the C++ runtime) come from dpkg-shlibdeps; the icon theme
# and the Wayland platform plugin are what a desktop wants beside them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "hicolor-icon-theme")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "qt6-wayland")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    ${PROJECT_SOURCE_DIR}/packaging/postinst ${PROJECT_SOURCE_DIR}/packaging/prerm
    ${PROJECT_SOURCE_DIR}/packaging/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)
include(CPack)
