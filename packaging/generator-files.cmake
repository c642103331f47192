# Run by CPack as it stages each package, for what one kind of package alone
# holds: the Debian package its lintian overrides (not the RPM, nor what
# `cmake --install` puts under a prefix); the RPM the licences under
# /usr/share/licenses, which its file list marks %license.
if(CPACK_GENERATOR STREQUAL "DEB")
  set(overrides "")
  foreach(file IN LISTS CPACK_MACLIST_LINTIAN_OVERRIDES)
    file(READ "${file}" text)
    string(APPEND overrides "${text}")
  endforeach()
  file(WRITE "${CPACK_TOPLEVEL_DIRECTORY}/lintian-overrides" "${overrides}")
  file(INSTALL "${CPACK_TOPLEVEL_DIRECTORY}/lintian-overrides"
       DESTINATION "${CPACK_PACKAGING_INSTALL_PREFIX}/share/lintian/overrides"
       RENAME maclist PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
elseif(CPACK_GENERATOR STREQUAL "RPM")
  file(INSTALL ${CPACK_MACLIST_LICENCES}
       DESTINATION "${CPACK_PACKAGING_INSTALL_PREFIX}/share/licenses/maclist"
       PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
endif()
