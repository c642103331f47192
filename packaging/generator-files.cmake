# Run by CPack as it stages each package: the lintian override goes into the
# Debian package alone, not into the RPM or what `cmake --install` puts
# under a prefix.
if(CPACK_GENERATOR STREQUAL "DEB")
  file(INSTALL "${CPACK_MACLIST_LINTIAN_OVERRIDES}"
       DESTINATION "${CPACK_PACKAGING_INSTALL_PREFIX}/share/lintian/overrides"
       RENAME maclist PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
endif()
