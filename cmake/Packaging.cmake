# A Debian package of what `cmake --install` installs: `cpack -G DEB` in the
# build folder (scripts/package.sh). Its dependencies are computed from the
# binary by dpkg-shlibdeps, not written by hand.
set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGE_NAME "larkspan")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_VENDOR "The Larkspan developers")
set(CPACK_PACKAGE_CONTACT "The Larkspan developers <developers@larkspan.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "desktop organiser: the desktop's items in tidy panels")
set(CPACK_PACKAGE_DESCRIPTION
    "Larkspan gathers every item of the desktop (files, folders, launchers, and the Home, Computer and Trash items) into floating, translucent panels on the desktop: one panel per kind of item, and panels of your own.")
set(CPACK_PACKAGE_HOMEPAGE_URL "${LARKSPAN_HOMEPAGE}")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION "x11")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded at run time, so dpkg-shlibdeps cannot see them: the SVG image format
# reads the icon theme's scalable icons, and GIO opens items (it comes with
# GLib, which the program links, but is named so that this stays true).
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6svg6, libglib2.0-0")
# Fonts for every language the program speaks: without one its script shows as
# boxes (Thai among them); the same ones scripts/setup.sh installs.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-dejavu-core, fonts-wqy-microhei, fonts-thai-tlwg")
set(CPACK_STRIP_FILES ON)
# Only the program and its desktop files; tests and benchmarks stay in the build.
set(CPACK_INSTALL_CMAKE_PROJECTS "${CMAKE_BINARY_DIR};${PROJECT_NAME};ALL;/")
include(CPack)
