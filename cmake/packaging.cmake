# The Debian package (cpack -G DEB in a build folder, or scripts/make-deb.sh):
# the two programs with the menu entry, icon and graph file type that the
# install rules place. dpkg-shlibdeps finds the libraries the programs link;
# Depends adds what they load at run time without linking it.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tessaline)
set(CPACK_PACKAGE_VENDOR Korrabel)
set(CPACK_PACKAGE_CONTACT "Tessaline developers <tessaline@korrabel.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Interactive 3-D graphs of X, Y and Z spreadsheet columns")
# One string: CMake would join several with semicolons.
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "Tessaline turns three numeric columns of a spreadsheet or table into an interactive 3-D "
    "graph: points, triangle edges and lit faces, labelled axes, picking, graph files, PNG "
    "snapshots and mesh export (PLY, OBJ, STL, glTF). tessaline-cli converts, renders and "
    "exports without a display.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The SVG icons (Qt plugins), the labels' font, and Mesa's drivers and EGL
# vendor for the view and for headless rendering.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6svg6, fonts-dejavu-core, libgl1-mesa-dri, libegl-mesa0")
# The menu and file-type caches are refreshed by the triggers of
# desktop-file-utils and shared-mime-info where those are installed.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "shared-mime-info, desktop-file-utils, hicolor-icon-theme")
include(CPack)
