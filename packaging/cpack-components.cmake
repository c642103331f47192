# Read by CPack for each package it makes (CPACK_PROJECT_CONFIG_FILE): what
# the command embeds, from the components list its link left in
# CPACK_MACLIST_THIRD_PARTY (tools/components). The RPM gets the licence that
# covers all of it (the list's `licence`), and a `Provides: bundled(NAME) =
# VERSION` (the upstream version) for each bundled library; the Debian
# package's fields that name each component's source package and version
# (Static-Built-Using, Built-Using: packaging/components says which) are
# left in CPACK_MACLIST_DEB_FIELDS for deb-fields.cmake.
if(NOT EXISTS "${CPACK_MACLIST_THIRD_PARTY}/components")
  message(FATAL_ERROR "${CPACK_MACLIST_THIRD_PARTY}/components is missing: build the command before packaging it")
endif()
file(STRINGS "${CPACK_MACLIST_THIRD_PARTY}/components" components)
file(STRINGS "${CPACK_MACLIST_THIRD_PARTY}/licence" CPACK_RPM_PACKAGE_LICENSE)
set(provides "")
set(static_built_using "")
set(built_using "")
foreach(component IN LISTS components)
  string(REPLACE "\t" ";" fields "${component}")
  list(GET fields 0 source)
  list(GET fields 1 source_version)
  list(GET fields 3 version)
  list(GET fields 4 field)
  list(GET fields 5 bundled)
  if(NOT bundled STREQUAL "-")
    # The upstream version: no epoch, no Debian revision.
    string(REGEX REPLACE "^[0-9]+:" "" upstream "${version}")
    string(REGEX REPLACE "-[^-]*$" "" upstream "${upstream}")
    list(APPEND provides "bundled(${bundled}) = ${upstream}")
  endif()
  if(field STREQUAL "Static-Built-Using")
    list(APPEND static_built_using "${source} (= ${source_version})")
  elseif(field STREQUAL "Built-Using")
    list(APPEND built_using "${source} (= ${source_version})")
  endif()
endforeach()
list(JOIN provides ", " CPACK_RPM_PACKAGE_PROVIDES)
set(CPACK_MACLIST_DEB_FIELDS "")
foreach(name IN ITEMS Built-Using Static-Built-Using)
  string(TOLOWER "${name}" variable)
  string(REPLACE "-" "_" variable "${variable}")
  if(${variable})
    list(JOIN ${variable} ", " value)
    string(APPEND CPACK_MACLIST_DEB_FIELDS "${name}: ${value}\n")
  endif()
endforeach()
