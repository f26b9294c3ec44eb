# The Debian package: kq-unloader_VERSION_ARCH.deb with the programs in
# /usr/bin. Its dependencies are read from the programs by dpkg-shlibdeps
# (dpkg-dev), not written here.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "The kq-unloader authors <maintainers@kq-unloader.invalid>")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt SQL loads its drivers as plugins, which no program links: SQLite for a
# library file, PostgreSQL for a workshop's library on a server.
# The report is drawn in DejaVu Sans, which has Cyrillic.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6sql6-sqlite, libqt6sql6-psql, fonts-dejavu-core")
# Qt's own translations, so that its dialogs and buttons speak the user's language.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS qt6-translations-l10n)
