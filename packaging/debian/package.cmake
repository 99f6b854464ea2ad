# The Debian package: `cpack` in the build folder makes kennfix_<version>_<arch>.deb.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kennfix)
set(CPACK_PACKAGE_VENDOR "Kennfix-Entwickler")
set(CPACK_PACKAGE_CONTACT "${KENNFIX_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "eTIN calculator for German wage-tax certificates")
set(CPACK_PACKAGE_DESCRIPTION [[
Kennfix computes the eTIN, the 14-character electronic transfer
identification number of German wage-tax certificates, from family name,
first name and date of birth, shows it and prints it on a one-page sheet.
kennfix-liste shows a whole staff list in CSV with the eTIN of every row
and saves it; kennfix-batch does the same on the command line.

Kennfix berechnet die eTIN der Lohnsteuerbescheinigung aus Familienname,
Vorname und Geburtsdatum, zeigt sie an und druckt sie; kennfix-liste und
kennfix-batch ergänzen ganze Personallisten im CSV-Format um die eTIN.]])
# Stripped after installing, as dh_strip does it (see strip-package.cmake).
set(CPACK_STRIP_FILES OFF)
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/strip-package.cmake)
set(CPACK_KENNFIX_STRIP ${CMAKE_STRIP})

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
# dpkg-shlibdeps finds the libraries the programs link (Qt's print support
# brings its CUPS plugin along); what Qt loads at run time it cannot see:
# the X11 platform plugin, Qt's German translations, and the Liberation fonts
# that stand in for the window's and the eTIN's fonts.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, qt6-translations-l10n, fonts-liberation")
# Qt's Wayland platform plugin: without it, the window runs through
# XWayland on a Wayland desktop.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland")

# What Debian wants beside the programs: the copyright file and the
# changelog (made from CHANGELOG.md), compressed as dh_installchangelogs does.
find_program(GZIP gzip REQUIRED)
set(KENNFIX_PACKAGE_DOCDIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/kennfix)
add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/changelog.gz
  COMMAND ${GZIP} -9 -n -k -f ${PROJECT_BINARY_DIR}/changelog
  DEPENDS ${PROJECT_BINARY_DIR}/changelog
  VERBATIM)
add_custom_target(kennfix_changelog ALL DEPENDS ${PROJECT_BINARY_DIR}/changelog.gz)
install(FILES ${PROJECT_BINARY_DIR}/changelog.gz ${CMAKE_CURRENT_LIST_DIR}/copyright
  DESTINATION ${KENNFIX_PACKAGE_DOCDIR})

include(CPack)
