# The Debian package `tbclient` (cpack -G DEB, run by scripts/package.sh): everything the
# install rules put below /usr and /etc, runtime dependencies found by dpkg-shlibdeps
# plus those loaded by name (fonts, the SQL Server driver), and the maintainer scripts
# of debian/ (user, folders, service restart).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tbclient)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Plant report system maintainers <root@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Plant report system: web report client, form printing, tools")
set(CPACK_PACKAGE_DESCRIPTION
    "The web host tbclient serves the daily, monthly and yearly reports of a plant's data\n"
    "logging share to web browsers and prints them through the form-printing library\n"
    "libfmdraw32.so. The package also holds the settings program TBWebSetup and the tools\n"
    "tbseed, tbforms, fedtool, tbcheck, tbjetimport and tbexport, and runs tbclient as the systemd\n"
    "service tbclient.service.")
string(REPLACE ";" "" CPACK_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# fedtool links the form library of this same package.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_BINARY_DIR}/lib)
# Loaded by name at run time, so not seen by dpkg-shlibdeps.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "adduser, passwd, fonts-ipafont-gothic, fonts-ipafont-mincho")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "tdsodbc")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    ${CMAKE_CURRENT_SOURCE_DIR}/debian/conffiles
    ${CMAKE_CURRENT_SOURCE_DIR}/debian/postinst
    ${CMAKE_CURRENT_SOURCE_DIR}/debian/prerm
    ${CMAKE_CURRENT_SOURCE_DIR}/debian/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_PACKAGE_CHECKSUM SHA256)
include(CPack)
