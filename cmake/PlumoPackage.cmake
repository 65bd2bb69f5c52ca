# The Debian package (cpack -G DEB, run by tools/dev package): built from the install rules, so
# the package holds exactly what `cmake --install` puts in a prefix, under /usr.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME plumo)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_CONTACT "The Plumo developers <developers@plumo.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "skinned music player and music library manager")
# CPack puts the summary above first and indents these lines below it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Plumo reads the tags of every audio file in the folders you name into a
local library, shows it as a tree of artists, albums, years, genres,
playlists and radio stations, and plays it through its own audio engine
with fades, a ten-band equalizer and a spectrum display.
.
It plays MP3, Ogg Vorbis, WMA, FLAC, APE, AAC and MP4 files, imports m3u,
pls, asx and xspf playlists, browses internet radio, and comes with two
skins and English and German texts. Command-line tools scan a library and
show what the tag, playlist and skin readers make of a file.")
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# Library dependencies come from the linked libraries (dpkg-shlibdeps); only what the program
# loads at run time without linking is named here: Qt's platform plugins, without which no
# window opens.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
