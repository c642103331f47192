# The release artifacts, made by CPack in the build directory: the Debian
# package (`cpack -G DEB`) on Linux, a zip (`cpack -G ZIP`) for Windows.
set(CPACK_PACKAGE_VENDOR "maclist developers")

if(WIN32)
  set(CPACK_GENERATOR ZIP)
  math(EXPR bits "${CMAKE_SIZEOF_VOID_P} * 8")
  set(CPACK_PACKAGE_FILE_NAME maclist-${PROJECT_VERSION}-win${bits})
  # The three files at the top of the zip, in no folder: unpacking it puts
  # them where the user unpacks it.
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
# The RPM, for the systems that install those: the same files, under RPM's
# name of the architecture (none for armel, which no RPM-based system runs
# on). Nothing is relocatable, no system folder is claimed, and the files and
# the package's header carry SOURCE_DATE_EPOCH rather than the build's time
# and host, so that the same source gives the same RPM: after the install
# step every file is dated SOURCE_DATE_EPOCH, where rpm would only bring a
# later time down to it, and keep the time an earlier build gave a file.
if(CMAKE_CROSSCOMPILING)
  set(CPACK_RPM_PACKAGE_ARCHITECTURE ${MACLIST_RPM_ARCH})
else()
  set(CPACK_RPM_PACKAGE_ARCHITECTURE ${CMAKE_SYSTEM_PROCESSOR})
endif()
set(CPACK_RPM_FILE_NAME RPM-DEFAULT)
set(CPACK_RPM_PACKAGE_DESCRIPTION "${CPACK_DEBIAN_PACKAGE_DESCRIPTION}")
set(CPACK_RPM_PACKAGE_GROUP "Applications/System")
set(CPACK_RPM_PACKAGE_SUMMARY "List the hardware addresses of the network adapters")
set(CPACK_PACKAGE_RELOCATABLE OFF)
# A static command needs no library: rpm would have it require the dynamic
# loader's GNU hash support all the same. A dynamic one requires what rpm
# finds it linked against.
if(MACLIST_STATIC)
  set(CPACK_RPM_PACKAGE_AUTOREQPROV OFF)
endif()
set(CPACK_RPM_EXCLUDE_FROM_AUTO_FILELIST_ADDITION /usr/share/man /usr/share/man/man1 /usr/share/licenses)
set(CPACK_RPM_SPEC_MORE_DEFINE "%define _buildhost reproducible
%define _build_id_links none
%define packager ${CPACK_DEBIAN_PACKAGE_MAINTAINER}
%define use_source_date_epoch_as_buildtime 1
%define __os_install_post [ -z $SOURCE_DATE_EPOCH ] || find %{buildroot} -exec touch -h -d @$SOURCE_DATE_EPOCH {} +")

# The RPM's licences, under /usr/share/licenses and marked %license: the
# project's own and the notices of what the command embeds (tools/components,
# after the link). tools/artifacts gives the RPM the licence and the
# Provides, and the Debian package the fields, that tools/components wrote.
set(CPACK_MACLIST_LICENCES ${PROJECT_SOURCE_DIR}/LICENSE ${CMAKE_BINARY_DIR}/third-party/THIRD-PARTY-NOTICES)
set(CPACK_RPM_USER_FILELIST "%license /usr/share/licenses/maclist/LICENSE"
                            "%license /usr/share/licenses/maclist/THIRD-PARTY-NOTICES")

# lintian's overrides, in the Debian package only: the field it does not know
# yet, and for a static command what it takes for a fault.
set(CPACK_MACLIST_LINTIAN_OVERRIDES ${PROJECT_SOURCE_DIR}/packaging/lintian-overrides)
if(MACLIST_LINK STREQUAL "static-pie")
  list(APPEND CPACK_MACLIST_LINTIAN_OVERRIDES ${PROJECT_SOURCE_DIR}/packaging/lintian-overrides-static-pie)
elseif(MACLIST_LINK STREQUAL "static")
  list(APPEND CPACK_MACLIST_LINTIAN_OVERRIDES ${PROJECT_SOURCE_DIR}/packaging/lintian-overrides-static)
endif()
set(CPACK_INSTALL_SCRIPTS ${PROJECT_SOURCE_DIR}/packaging/generator-files.cmake)
include(CPack)
