# `make package`: a Debian package of the installed files (cpack -G DEB).
# The shared libraries the programs link are found by dpkg-shlibdeps; the rest
# are what the window needs at run time without linking it: Qt's platform
# plugins (X11 and native Wayland), SVG images for the icon theme, Qt's Japanese
# texts, a Japanese font, an icon theme and the MIME database.
set(CPACK_PACKAGE_NAME zutomelark)
set(CPACK_PACKAGE_VENDOR "The ZuTomelark developers")
set(CPACK_PACKAGE_CONTACT "The ZuTomelark developers <developers@zutomelark.org>")
set(CPACK_PACKAGE_VERSION ${ZT_PACKAGE_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "catalogue of discs, drives and folders, browsed offline")
set(CPACK_PACKAGE_DESCRIPTION
    "ZuTomelark reads the file tree of a CD, a hard disk, a removable disk or any
folder into a stock: an offline catalogue of the names, dates and sizes of its
folders and files. Stocks can be browsed without the medium, searched by file
name (results saved as CSV) and their file names written out. The interface is
Japanese; the catalogue files are Shift_JIS text shared with Windows machines.
The command-line companion zutomelark-cli does the same from scripts.")
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "qt6-qpa-plugins, qt6-wayland, libqt6svg6, qt6-translations-l10n, fonts-ipafont-gothic, adwaita-icon-theme | hicolor-icon-theme, shared-mime-info")
# xdg-utils opens an item of a mounted medium in the program that handles it.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils, bash-completion")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://zutomelark.org/")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
