# The release artifacts, made by CPack in the build directory: the Debian
# package (`cpack -G DEB`) on Linux, a zip (`cpack -G ZIP`) for Windows.
set(CPACK_PACKAGE_NAME maclist)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")

if(WIN32)
  set(CPACK_GENERATOR ZIP)
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(CPACK_PACKAGE_FILE_NAME maclist-${PROJECT_VERSION}-win64)
  else()
    set(CPACK_PACKAGE_FILE_NAME maclist-${PROJECT_VERSION}-win32)
  endif()
  # The three files at the top of the zip: unpacking it makes one folder.
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
  include(CPack)
  return()
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# A cross build's package is for its target's architecture, by Debian's name.
if(MACLIST_DEBIAN_ARCH)
  set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE ${MACLIST_DEBIAN_ARCH})
endif()
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "maclist developers <maintainers@maclist.invalid>")
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# CPack puts the summary above this as the synopsis line.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "maclist prints the hardware (MAC) address of every network interface but
loopback, one per line, as six uppercase hexadecimal pairs joined by
hyphens, and nothing else. It exits 0 after a complete listing and 1, with
a one-line diagnostic, when the query or the output fails.")
# Shared-library dependencies, for a build that links against them.
find_program(DPKG_SHLIBDEPS dpkg-shlibdeps)
if(DPKG_SHLIBDEPS AND NOT MACLIST_STATIC)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
endif()
# lintian's overrides for a static command, in the package only.
if(MACLIST_LINK STREQUAL "static-pie")
  set(CPACK_MACLIST_LINTIAN_OVERRIDES ${PROJECT_SOURCE_DIR}/packaging/lintian-overrides)
elseif(MACLIST_LINK STREQUAL "static")
  set(CPACK_MACLIST_LINTIAN_OVERRIDES ${PROJECT_SOURCE_DIR}/packaging/lintian-overrides-static)
endif()
if(CPACK_MACLIST_LINTIAN_OVERRIDES)
  set(CPACK_INSTALL_SCRIPTS ${PROJECT_SOURCE_DIR}/packaging/lintian-overrides.cmake)
endif()
include(CPack)
