# The Debian package: cpack -G DEB (or the "package" target) in a build folder.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME znakomat)
set(CPACK_PACKAGE_VENDOR "Znakomat developers")
set(CPACK_PACKAGE_CONTACT "Znakomat developers <dev@znakomat.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "converter of Polish letters between eighteen encodings")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The long part: lines of at most 80 characters, as dpkg shows them.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Znakomat converts the Polish diacritic letters of a text between eighteen\n"
    "encodings: old DOS, Amiga and typesetting code pages such as Mazovia or CSK,\n"
    "ISO-8859-2, Windows-1250, UTF-8 and plain letters. It converts a text file into\n"
    "a new file, or text pasted into its window, and leaves every other byte alone.\n"
    "Its window is Polish. The command line program znakomat-cli does the same for\n"
    "scripts and pipes.")
string(JOIN "" CPACK_DEBIAN_PACKAGE_DESCRIPTION ${CPACK_DEBIAN_PACKAGE_DESCRIPTION})
# Libraries come from dpkg-shlibdeps; what the binaries load by name at run time does not:
# the window's font, Qt's platform plugins and Qt's Polish translations.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation2, qt6-qpa-plugins, qt6-translations-l10n")
# Wayland desktops need Qt's Wayland plugin (X11 through XWayland works without it), and
# the WWW button opens its page through xdg-open.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland, xdg-utils")
set(CPACK_PACKAGING_INSTALL_PREFIX ${ZNAKOMAT_PREFIKS_PAKIETU})
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
