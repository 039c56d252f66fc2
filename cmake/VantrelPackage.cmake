# make deb: a Debian package from the install rules above. The libraries the
# executables link come from dpkg-shlibdeps; the ones opened by name at run
# time are listed by hand, since no tool can see them.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vantrel)
set(CPACK_PACKAGE_VENDOR Tarvex)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Browse folders of audio files, read their details and preview them")
# Wrapped by hand: apt and lintian show the lines as they are, and want
# them within 80 columns.
set(CPACK_PACKAGE_DESCRIPTION [[
Vantrel is a file browser for folders of audio files. Moving to a file
lists its technical and tag details and can play it at once; selected
files open in chosen applications or go to preset folders.]])
set(CPACK_PACKAGE_CONTACT "Tarvex <support@tarvex.com>")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://tarvex.com/vantrel)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# Our own libraries are found in the package itself, not in other packages.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS
    ${CMAKE_BINARY_DIR}/_CPack_Packages/Linux/DEB/vantrel-${PROJECT_VERSION}-Linux${CPACK_PACKAGING_INSTALL_PREFIX}/${VANTREL_PRIVATE_LIBDIR})
# Opened by name: MediaInfo (details), FreeImage (toolbar images), SDL (audio
# output); the SVG image plugin draws themed application icons, and the
# Wayland platform plugin serves Wayland sessions.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libmediainfo0v5, libfreeimage3, libsdl2-2.0-0, libqt6svg6, qt6-wayland")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "hicolor-icon-theme, adwaita-icon-theme")
include(CPack)
