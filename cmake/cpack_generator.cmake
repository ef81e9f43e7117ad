# Read by CPack once per generator (see cmake/packaging.cmake): the Debian
# package gets the system layout below /usr, the archives the portable
# folder, unpacking to a folder of its own.
if(CPACK_GENERATOR STREQUAL "DEB")
  set(CPACK_COMPONENTS_ALL deb)
  set(CPACK_PACKAGING_INSTALL_PREFIX "${CPACK_TAMSIRO_DEB_PREFIX}")
  set(CPACK_COMPONENT_INCLUDE_TOPLEVEL_DIRECTORY OFF)
else()
  set(CPACK_COMPONENTS_ALL portable)
  set(CPACK_COMPONENT_INCLUDE_TOPLEVEL_DIRECTORY ON)
endif()
