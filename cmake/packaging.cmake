# What `cmake --install` lays out (programs, desktop entry, icons, the sample
# map, the package's documents) and the Debian package CPack makes of it,
# in the folders GNUInstallDirs names (included at the top level).

set(_pkg ${PROJECT_SOURCE_DIR}/packaging)
install(FILES ${_pkg}/orv-console.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${_pkg}/orv-console.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(_size 16 32 48 64 128 256)
  install(FILES ${_pkg}/icons/orv-console-${_size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${_size}x${_size}/apps
          RENAME orv-console.png)
endforeach()
install(FILES ${PROJECT_SOURCE_DIR}/samples/sample.map ${PROJECT_SOURCE_DIR}/samples/sample-drive.csv
        DESTINATION ${CMAKE_INSTALL_DATADIR}/orv-console)

# Debian wants the copyright file and a compressed changelog beside it,
# compressed the same way every time (-n: no name, no time stamp).
set(_doc ${CMAKE_INSTALL_DATADIR}/doc/orv-console)
set(_changelog_gz ${CMAKE_BINARY_DIR}/packaging/changelog.gz)
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/packaging)
execute_process(COMMAND gzip -9nc ${_pkg}/changelog OUTPUT_FILE ${_changelog_gz} COMMAND_ERROR_IS_FATAL ANY)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${_pkg}/changelog)
install(FILES ${_pkg}/copyright ${_changelog_gz} DESTINATION ${_doc})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME orv-console)
set(CPACK_PACKAGE_VENDOR "ORV console developers")
set(CPACK_PACKAGE_CONTACT "ORV console developers <orv-console@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "console for watching and calibrating an ORV engine controller")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The synopsis is the summary above; CPack indents this and marks the empty
# line as the paragraph break.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "The ORV console is the desktop program with which a tuner watches and
calibrates an add-on engine controller over a serial line: live gauges,
the calibration tables, upload and download of the calibration, host mode,
map files with their reports and an event recorder.

orvtool does the console's work from the command line; orv-sim simulates
the controller on a pseudo-terminal, for trying the console without one.")
include(CPack)
