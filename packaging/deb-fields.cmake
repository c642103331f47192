# Run by CPack after it has made a package (CPACK_POST_BUILD_SCRIPTS): the
# Debian package gets the fields CPack cannot write, those naming the source
# packages of what the command embeds (`deb-fields`, by tools/components),
# just before its Description. dpkg-deb unpacks and packs it again, with the
# files' own times and the control file dated SOURCE_DATE_EPOCH, so that the
# same build gives the same bytes.
if(NOT CPACK_GENERATOR STREQUAL "DEB")
  return()
endif()
file(READ "${CPACK_MACLIST_THIRD_PARTY}/deb-fields" fields)
foreach(package IN LISTS CPACK_PACKAGE_FILES)
  set(tree "${CPACK_TOPLEVEL_DIRECTORY}/deb-fields")
  file(REMOVE_RECURSE "${tree}")
  execute_process(COMMAND dpkg-deb --raw-extract "${package}" "${tree}" RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "dpkg-deb cannot unpack ${package}")
  endif()
  file(READ "${tree}/DEBIAN/control" control)
  string(REPLACE "\nDescription:" "\n${fields}Description:" control "${control}")
  file(WRITE "${tree}/DEBIAN/control" "${control}")
  if(DEFINED ENV{SOURCE_DATE_EPOCH})
    execute_process(COMMAND touch -d "@$ENV{SOURCE_DATE_EPOCH}" "${tree}/DEBIAN" "${tree}/DEBIAN/control")
  endif()
  execute_process(COMMAND dpkg-deb --root-owner-group -Zgzip --build "${tree}" "${package}"
                  OUTPUT_QUIET RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "dpkg-deb cannot pack ${package} again")
  endif()
  file(REMOVE_RECURSE "${tree}")
endforeach()
