# Installation and the Debian package: the three programs, the desktop integration files under data/,
# the udev rule for the instrument, the manual pages and the package's documentation.
#
#   cmake --install build --prefix /usr/local     # or a staging folder with DESTDIR
#   cmake --build build --target package         # build/mirvo-psd_<version>_<arch>.deb (CPack)
include(GNUInstallDirs)

# One reverse-DNS id names the desktop entry, the metainfo, the icon and the MIME package.
set(MIRVO_APP_ID "org.mirvo.MirvoPSD")
# Relative to the prefix: /usr/lib/udev/rules.d for the package, /usr/local/lib/udev/rules.d for a
# local install (udev reads both).
set(MIRVO_UDEV_RULES_DIR "lib/udev/rules.d" CACHE STRING "Folder for the udev rule, relative to the prefix")

# The window icon, built into the program (the installed theme icon wins when present).
if(TARGET mirvo-psd)
  set_target_properties(mirvo-psd PROPERTIES AUTORCC ON)
  target_sources(mirvo-psd PRIVATE ${PROJECT_SOURCE_DIR}/data/mirvo-psd.qrc)
endif()

set(mirvo_programs mirvo-cli)
if(TARGET kvetral-sim)
  list(APPEND mirvo_programs kvetral-sim)
endif()
if(TARGET mirvo-psd)
  list(APPEND mirvo_programs mirvo-psd)
endif()
install(TARGETS ${mirvo_programs} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

set(mirvo_data ${PROJECT_SOURCE_DIR}/data)
install(FILES ${mirvo_data}/${MIRVO_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${mirvo_data}/${MIRVO_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${mirvo_data}/${MIRVO_APP_ID}.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${mirvo_data}/${MIRVO_APP_ID}.mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
        RENAME ${MIRVO_APP_ID}.xml)
install(FILES ${mirvo_data}/61-mirvo-psd.rules DESTINATION ${MIRVO_UDEV_RULES_DIR})

# Manual pages and the changelog go in compressed (gzip -n: no time stamp, so builds repeat).
find_program(MIRVO_GZIP gzip REQUIRED)
set(mirvo_man_pages mirvo-cli.1 kvetral-sim.1 mirvo-psd.1)
set(mirvo_compressed)
foreach(page IN LISTS mirvo_man_pages)
  set(out ${CMAKE_BINARY_DIR}/man/${page}.gz)
  add_custom_command(OUTPUT ${out}
                     COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
                     COMMAND ${MIRVO_GZIP} -9nc ${PROJECT_SOURCE_DIR}/man/${page} > ${out}
                     DEPENDS ${PROJECT_SOURCE_DIR}/man/${page} VERBATIM)
  list(APPEND mirvo_compressed ${out})
  install(FILES ${out} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
set(mirvo_changelog ${CMAKE_BINARY_DIR}/doc/changelog.gz)
add_custom_command(OUTPUT ${mirvo_changelog}
                   COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/doc
                   COMMAND ${MIRVO_GZIP} -9nc ${mirvo_data}/debian/changelog > ${mirvo_changelog}
                   DEPENDS ${mirvo_data}/debian/changelog VERBATIM)
add_custom_target(mirvo_install_docs ALL DEPENDS ${mirvo_compressed} ${mirvo_changelog})
set(mirvo_docdir ${CMAKE_INSTALL_DATADIR}/doc/mirvo-psd)
install(FILES ${mirvo_changelog} ${mirvo_data}/debian/copyright DESTINATION ${mirvo_docdir})

# The Debian package.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME mirvo-psd)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_CONTACT "Mirvo-PSD developers <mirvo-psd@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "control and acquisition program for the Kvetral spectrometer")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The synopsis is CPACK_PACKAGE_DESCRIPTION_SUMMARY; CPack indents these lines and turns the empty
# one into the paragraph mark.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Mirvo-PSD controls the Kvetral digital spectrometer, a multichannel
analyser with pulse-shape discrimination (gamma/neutron) attached as a
USB serial port: it finds the instrument, runs acquisitions, shows the
four spectra while they grow with peak statistics, energy calibration
and a figure of merit, and saves spectrum files.

The package holds the desktop program mirvo-psd, the command-line tool
mirvo-cli, the instrument simulator kvetral-sim and a udev rule that
gives the logged-in user access to the instrument.")
# Shared libraries from dpkg-shlibdeps; the Qt plugins are loaded at run time, so no library link
# names them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
if(TARGET mirvo-psd)
  # libqt6svg6: the image and icon-engine plugins that draw the SVG window icon.
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, libqt6svg6")
endif()
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "systemd")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${mirvo_data}/debian/postinst ${mirvo_data}/debian/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)

# Checks of the packaging, in CTest with the label "packaging" (not in the sanitizer builds): the
# desktop entry and the metainfo validate, the manual pages agree with --help, and the .deb builds,
# holds what the README lists, runs from a scratch root and passes lintian without errors.
if(NOT MIRVO_SANITIZE AND NOT MIRVO_TSAN AND TARGET mirvo-psd AND TARGET kvetral-sim)
  set(mirvo_checks ${PROJECT_SOURCE_DIR}/tests/packaging)
  add_test(NAME packaging.desktop-entry COMMAND desktop-file-validate ${mirvo_data}/${MIRVO_APP_ID}.desktop)
  add_test(NAME packaging.metainfo COMMAND appstreamcli validate --no-net ${mirvo_data}/${MIRVO_APP_ID}.metainfo.xml)
  add_test(NAME packaging.mime-type COMMAND bash ${mirvo_checks}/mime_test.sh ${mirvo_data} ${MIRVO_APP_ID})
  add_test(NAME packaging.udev-rule COMMAND bash ${mirvo_checks}/udev_rule_test.sh ${PROJECT_SOURCE_DIR})
  add_test(NAME packaging.manual-pages COMMAND bash ${mirvo_checks}/man_help_test.sh $<TARGET_FILE:mirvo-cli>
           $<TARGET_FILE:kvetral-sim> ${PROJECT_SOURCE_DIR}/man)
  add_test(NAME packaging.deb COMMAND bash ${mirvo_checks}/deb_test.sh ${CMAKE_BINARY_DIR} ${PROJECT_SOURCE_DIR})
  set_tests_properties(packaging.desktop-entry packaging.metainfo packaging.mime-type packaging.udev-rule
                       packaging.manual-pages
                       PROPERTIES LABELS packaging TIMEOUT 60)
  set_tests_properties(packaging.deb PROPERTIES LABELS packaging TIMEOUT 400)
endif()
