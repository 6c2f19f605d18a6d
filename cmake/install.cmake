# Install rules and the Debian package: the programs, the desktop menu entry with its icon
# and file types, the AppStream data, man pages, shell completion and the udev rule for
# USB-serial adapters. `cmake --install build` installs; `cpack -G DEB` in the build folder
# makes zeda_<version>_<arch>.deb.
include(GNUInstallDirs)

set(ZEDA_APP_ID org.zedaproject.Zeda)
set(ZEDA_PACKAGING_DIR ${CMAKE_SOURCE_DIR}/packaging)
# udev reads rules from /usr/lib/udev/rules.d and /usr/local/lib/udev/rules.d alike.
set(ZEDA_UDEV_RULES_DIR "lib/udev/rules.d" CACHE STRING
    "Where the udev rule for USB-serial adapters goes (relative to the install prefix)")

set(zeda_programs zedactl zedasim)
if(ZEDA_GUI)
  list(PREPEND zeda_programs zeda)
endif()
install(TARGETS ${zeda_programs} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

if(ZEDA_GUI)
  install(FILES ${ZEDA_PACKAGING_DIR}/${ZEDA_APP_ID}.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${ZEDA_PACKAGING_DIR}/${ZEDA_APP_ID}.metainfo.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  install(FILES ${ZEDA_PACKAGING_DIR}/icons/zeda.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
          RENAME ${ZEDA_APP_ID}.svg)
  # The PNG sizes are rendered from zeda.svg by tools/render-icons.sh and kept in the tree,
  # so building needs no SVG renderer.
  foreach(size 16 24 32 48 64 128 256)
    install(FILES ${ZEDA_PACKAGING_DIR}/icons/zeda-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME ${ZEDA_APP_ID}.png)
  endforeach()
endif()
install(FILES ${CMAKE_SOURCE_DIR}/LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES ${ZEDA_PACKAGING_DIR}/zeda-mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
        RENAME zeda.xml)
install(FILES ${ZEDA_PACKAGING_DIR}/completions/zedactl
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
install(FILES ${ZEDA_PACKAGING_DIR}/60-zeda-usb-serial.rules DESTINATION ${ZEDA_UDEV_RULES_DIR})

# Man pages, compressed as Debian keeps them (-n: no time stamp, so builds repeat exactly).
find_program(ZEDA_GZIP gzip REQUIRED)
set(zeda_man_pages "")
foreach(page zedactl.1 zedasim.1)
  set(out ${CMAKE_BINARY_DIR}/man/${page}.gz)
  add_custom_command(
    OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
    COMMAND ${ZEDA_GZIP} -9 -n -c ${ZEDA_PACKAGING_DIR}/man/${page} > ${out}
    DEPENDS ${ZEDA_PACKAGING_DIR}/man/${page}
    VERBATIM)
  list(APPEND zeda_man_pages ${out})
endforeach()
add_custom_target(zeda_man ALL DEPENDS ${zeda_man_pages})
install(FILES ${zeda_man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# The Debian package.
set(CPACK_PACKAGE_NAME zeda)
set(CPACK_PACKAGE_VENDOR "zeda developers")
set(CPACK_PACKAGE_CONTACT "zeda developers <zeda-dev@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "configure and diagnose programmable ignition units")
set(CPACK_PACKAGE_DESCRIPTION
    "zeda configures and diagnoses a programmable ignition unit over a serial line: it finds \
and identifies the unit, reads its parameter memory, edits it on parameter pages and in map \
editors, verifies and programs the unit and shows live monitor data. The package holds the \
desktop program zeda, the command-line tool zedactl, the simulated unit zedasim and a udev \
rule that gives the dialout group access to common USB-serial adapters.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# dpkg-shlibdeps names the run-time libraries the programs link (Qt 6, zlib, libserialport,
# the C++ run time); the platform plugins are loaded at run time, so they are named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS OFF)
if(ZEDA_GUI)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "hicolor-icon-theme, shared-mime-info, desktop-file-utils")
endif()
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${ZEDA_PACKAGING_DIR}/debian/postinst)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
