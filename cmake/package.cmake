# The Debian package: `cpack` in the build folder makes kennfix_<version>_<arch>.deb.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kennfix)
set(CPACK_PACKAGE_VENDOR "Kennfix-Entwickler")
set(CPACK_PACKAGE_CONTACT "Kennfix-Entwickler <entwickler@kennfix.de>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "eTIN calculator for German wage-tax certificates")
set(CPACK_PACKAGE_DESCRIPTION [[
Kennfix computes the eTIN, the 14-character electronic transfer
identification number of German wage-tax certificates, from family name,
first name and date of birth, shows it and prints it on a one-page sheet.
kennfix-batch does the same for a whole staff list in CSV.

Kennfix berechnet die eTIN der Lohnsteuerbescheinigung aus Familienname,
Vorname und Geburtsdatum, zeigt sie an und druckt sie; kennfix-batch
ergänzt ganze Personallisten im CSV-Format um die eTIN.]])
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
# dpkg-shlibdeps finds the libraries the programs link (Qt's print support
# brings its CUPS plugin along); what Qt loads at run time it cannot see:
# the X11 platform plugin, and the Liberation fonts that stand in for the
# window's and the eTIN's fonts.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-liberation")

include(CPack)
