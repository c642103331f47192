# Read by CPack for each package it makes (CPACK_PROJECT_CONFIG_FILE): the
# RPM's licence, which covers all the command embeds, and a `Provides:
# bundled(NAME) = VERSION` for each bundled library, as tools/components
# wrote them after the link in CPACK_MACLIST_THIRD_PARTY (`licence`,
# `provides`).
if(NOT EXISTS "${CPACK_MACLIST_THIRD_PARTY}/deb-fields")
  message(FATAL_ERROR "${CPACK_MACLIST_THIRD_PARTY}/deb-fields is missing: build the command before packaging it")
endif()
file(STRINGS "${CPACK_MACLIST_THIRD_PARTY}/licence" CPACK_RPM_PACKAGE_LICENSE)
file(STRINGS "${CPACK_MACLIST_THIRD_PARTY}/provides" provides)
list(JOIN provides ", " CPACK_RPM_PACKAGE_PROVIDES)
