# The Debian package (`make package`): nwk-discover_<version>_amd64.deb from the install rules.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME nwk-discover)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_CONTACT "nwk-discover maintainers <nwk-discover@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "NetWorker discovery plug-in and runner")
set(CPACK_PACKAGE_DESCRIPTION
  "Inspects an EMC NetWorker backup server with its nsradmin and mminfo commands and describes the estate as XML messages for a host backup product, with a migration assessment report. Holds the runner, the plug-in, the host libraries, nsradmin and mminfo emulators, a sample dataset and a CMake package.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# The build keeps debug information for the tests; the package does not need it.
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE amd64)
# Run-time packages, one per entry; a new library joins the list here.
set(NWK_DEBIAN_DEPENDS
  "libc6"
  "libstdc++6"
  "libxml2 (>= 2.9)"
  "libxlsxwriter4"
  "libjemalloc2")
list(JOIN NWK_DEBIAN_DEPENDS ", " CPACK_DEBIAN_PACKAGE_DEPENDS)
include(CPack)
