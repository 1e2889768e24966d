# What `cmake --install` puts on a machine, and the Debian package CPack makes
# of it (scripts/package.sh): the three programs, their man pages (help2man,
# from each program's --help), the window's desktop entry and icon; where it
# was built, the collector with its systemd service and the service's options
# file /etc/default/rzstation-collect (a conffile of the package).
include(GNUInstallDirs)

install(TARGETS rzstation-cli rzboard-sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
set(RZ_MAN_PROGRAMS
  "rzstation-cli|run the RZ station's operations from the command line"
  "rzboard-sim|simulated RZ controller board on a pseudo-terminal")
if(TARGET rzstation-collect)
  install(TARGETS rzstation-collect RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${CMAKE_SOURCE_DIR}/packaging/rzstation-collect.service DESTINATION lib/systemd/system)
  # /etc beside the /usr prefix: also `cmake --install --prefix ROOT/usr` puts it in ROOT/etc.
  install(FILES ${CMAKE_SOURCE_DIR}/packaging/rzstation-collect.default DESTINATION ../etc/default
          RENAME rzstation-collect)
  file(WRITE ${CMAKE_BINARY_DIR}/debian/conffiles "/etc/default/rzstation-collect\n")
  set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_BINARY_DIR}/debian/conffiles)
  list(APPEND RZ_MAN_PROGRAMS "rzstation-collect|import the RZ stations' unit files into PostgreSQL")
endif()
if(RZ_BUILD_GUI)
  install(TARGETS rzstation RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${CMAKE_SOURCE_DIR}/packaging/rzstation.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${CMAKE_SOURCE_DIR}/frontends/qt_window/resources/rzstation.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  list(APPEND RZ_MAN_PROGRAMS "rzstation|test station window for RZ controller boards")
endif()

# Sanitizer builds do not run their programs at build time (ThreadSanitizer
# programs need a particular address-space layout to start at all).
find_program(RZ_HELP2MAN help2man)
if(RZ_HELP2MAN AND RZ_SANITIZE STREQUAL "")
  set(pages "")
  foreach(entry IN LISTS RZ_MAN_PROGRAMS)
    string(REPLACE "|" ";" entry "${entry}")
    list(GET entry 0 program)
    list(GET entry 1 summary)
    set(page ${CMAKE_BINARY_DIR}/man/${program}.1)
    add_custom_command(
      OUTPUT ${page}.gz
      COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
      COMMAND ${CMAKE_COMMAND} -E env LC_ALL=C.UTF-8 ${RZ_HELP2MAN} --locale=C.UTF-8 --no-info --version-string=${PROJECT_VERSION} --name=${summary}
              --output=${page} $<TARGET_FILE:${program}>
      COMMAND gzip -9nf ${page}
      DEPENDS ${program}
      COMMENT "Man page of ${program}"
      VERBATIM)
    list(APPEND pages ${page}.gz)
  endforeach()
  add_custom_target(rz_man_pages ALL DEPENDS ${pages})
  install(FILES ${pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME rzstation)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "RZ station developers")
set(CPACK_PACKAGE_CONTACT "RZ station developers <rzstation@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Test station for RZ controller boards")
set(CPACK_PACKAGE_DESCRIPTION
    "Downloads the test program into an RZ controller board over a serial port and runs the board's tests, \
from a window (rzstation) or the command line (rzstation-cli), with a simulated board (rzboard-sim); \
rzstation-collect imports the stations' unit files into a PostgreSQL database.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
# The shared libraries the programs link come from dpkg-shlibdeps; the SVG
# image plugin (the window's icon) and Qt's Russian translations are loaded by
# Qt at run time, so named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
if(RZ_BUILD_GUI)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6svg6, qt6-translations-l10n")
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-dejavu-core")
endif()
include(CPack)
