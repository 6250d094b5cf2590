# A Debian package of what `cmake --install` installs: `cpack -G DEB` in the
# build folder (scripts/package.sh). Its dependencies are computed from the
# binary by dpkg-shlibdeps, not written by hand.
set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGE_NAME "larkspan")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_VENDOR "The Larkspan developers")
set(CPACK_PACKAGE_CONTACT "The Larkspan developers <developers@larkspan.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "desktop organiser: the desktop's items in tidy panels")
# Lines of at most 80 characters, as the package description wants them.
# CPack puts the summary above it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Larkspan gathers every item of the desktop (files, folders, launchers,
and the Home, Computer and Trash items) into floating, translucent panels
on the desktop: one panel per kind of item, and panels of your own.
Items are dragged between panels, sorted, opened and searched; panels
move, resize, roll up, lock, snap to each other and tidy themselves, and
remember all of it. A to-do list, a currency converter and a tray icon
live beside them. The desktop's own icons are hidden while it runs and
come back when it ends.")
set(CPACK_PACKAGE_HOMEPAGE_URL "${LARKSPAN_HOMEPAGE}")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION "x11")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded at run time, so dpkg-shlibdeps cannot see it: the SVG image format
# reads the icon theme's scalable icons. GIO, which opens items, is loaded at
# run time too, but it comes with GLib, which the program links, so the
# computed dependencies already name its package.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6svg6")
# Fonts for every language the program speaks: without one its script shows as
# boxes (Thai among them); the same ones scripts/setup.sh installs.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-dejavu-core, fonts-wqy-microhei, fonts-thai-tlwg")
set(CPACK_STRIP_FILES ON)
# Only the program and its desktop files; tests and benchmarks stay in the build.
set(CPACK_INSTALL_CMAKE_PROJECTS "${CMAKE_BINARY_DIR};${PROJECT_NAME};ALL;/")
# Every file time in the package is the release's, and the archives are made
# the same way each time: one commit, one package, byte for byte.
set(CPACK_PROJECT_CONFIG_FILE "${CMAKE_BINARY_DIR}/CPackReproducible.cmake")
file(WRITE "${CPACK_PROJECT_CONFIG_FILE}" "set(ENV{SOURCE_DATE_EPOCH} ${LARKSPAN_RELEASE_EPOCH})\n")
include(CPack)

# What Debian wants beside the program: the copyright in its machine-readable
# form, the changelog, and the note on a check that misreads the program.
set(package_dir "${CMAKE_CURRENT_BINARY_DIR}/package-files")
configure_file(resources/package/changelog.in "${package_dir}/changelog" @ONLY)
add_custom_command(
    OUTPUT "${package_dir}/changelog.gz"
    COMMAND gzip -9nkf "${package_dir}/changelog"
    DEPENDS "${package_dir}/changelog"
    VERBATIM)
add_custom_target(larkspan_package_files ALL DEPENDS "${package_dir}/changelog.gz")
include(GNUInstallDirs)
install(FILES resources/package/copyright "${package_dir}/changelog.gz"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/doc/larkspan")
install(FILES resources/package/lintian-overrides DESTINATION "${CMAKE_INSTALL_DATADIR}/lintian/overrides"
        RENAME larkspan)
