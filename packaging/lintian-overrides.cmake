# Run by CPack as it stages the Debian package: the lintian override goes into
# the package alone, not into what `cmake --install` puts under a prefix.
file(INSTALL "${CPACK_MACLIST_LINTIAN_OVERRIDES}" DESTINATION "${CPACK_PACKAGING_INSTALL_PREFIX}/share/lintian/overrides"
     RENAME maclist PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
