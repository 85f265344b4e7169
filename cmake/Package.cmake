# cpack -G DEB (in the build folder): corvane-net_<version>_amd64.deb, the install of
# cmake/Install.cmake into /usr. The libraries the program links come from dpkg-shlibdeps; what it
# loads at run time is named here: the Qt SQLite driver for cv.mdb, the X11 platform plugin for the
# windows and the fonts the windows are drawn with.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME corvane-net)
set(CPACK_PACKAGE_VENDOR "Corvane Net")
set(CPACK_PACKAGE_CONTACT "Corvane Net developers <corvane-net@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "audit file activity on NetWare and Samba file servers")
set(CPACK_PACKAGE_DESCRIPTION
    "Corvane Net walks the directories it is told to watch, asks the file server\n"
    "who created, opened, edited, archived and deleted each matching file and\n"
    "when, and records every event of the day in an SQLite audit database. It\n"
    "tallies activity per directory and day, tracks new and vanished directories,\n"
    "and offers queries, CSV output, purging, charts and daily unattended scans,\n"
    "in a window or on the command line (cv).")
string(REPLACE ";" "" CPACK_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6sql6-sqlite, qt6-qpa-plugins, fonts-liberation, adduser")
# The server install audits Samba shares, whose records rsyslog writes to a file.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "samba, samba-vfs-modules, rsyslog")
# The maintainer scripts make and, on purge, remove the account of the system scan service and
# its folder (data/debian/postinst, postrm).
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    "${CMAKE_SOURCE_DIR}/data/debian/postinst" "${CMAKE_SOURCE_DIR}/data/debian/prerm"
    "${CMAKE_SOURCE_DIR}/data/debian/postrm" "${CMAKE_SOURCE_DIR}/data/debian/conffiles")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

# Debian wants the copyright and a changelog in /usr/share/doc/<package>; the changelog names the
# version the package is built as.
string(TIMESTAMP CV_PACKAGE_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
configure_file("${CMAKE_SOURCE_DIR}/data/debian/changelog.in" "${CMAKE_BINARY_DIR}/debian/changelog" @ONLY)
add_custom_command(
    OUTPUT "${CMAKE_BINARY_DIR}/debian/changelog.gz"
    COMMAND sh -c "${GZIP_PROGRAM} -9nc '${CMAKE_BINARY_DIR}/debian/changelog' > '${CMAKE_BINARY_DIR}/debian/changelog.gz'"
    DEPENDS "${CMAKE_BINARY_DIR}/debian/changelog"
    VERBATIM)
add_custom_target(cv_package_changelog ALL DEPENDS "${CMAKE_BINARY_DIR}/debian/changelog.gz")
install(FILES "${CMAKE_SOURCE_DIR}/data/debian/copyright" "${CMAKE_BINARY_DIR}/debian/changelog.gz"
              "${CMAKE_SOURCE_DIR}/data/debian/README.Debian"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/doc/corvane-net")

include(CPack)
