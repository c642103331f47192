# Cross build for Linux with Debian's cross compilers, the target's programs
# (tests, test discovery) run by qemu-user-static, registered with no kernel.
# MACLIST_DEBIAN_ARCH names an architecture of tools/architectures (the preset
# cross takes it from MACLIST_ARCH), whose line gives the rest.
file(STRINGS ${CMAKE_CURRENT_LIST_DIR}/../tools/architectures architectures REGEX "^[a-z]")
set(known "")
set(MACLIST_TRIPLET "")
foreach(line IN LISTS architectures)
  string(REGEX MATCHALL "[^ ]+" fields "${line}")
  list(GET fields 0 arch)
  string(APPEND known " ${arch}")
  if(arch STREQUAL "${MACLIST_DEBIAN_ARCH}")
    list(GET fields 1 MACLIST_TRIPLET)
    list(GET fields 3 qemu_arch)
    list(GET fields 4 MACLIST_RPM_ARCH)
  endif()
endforeach()
if(NOT MACLIST_TRIPLET)
  message(FATAL_ERROR "MACLIST_ARCH (MACLIST_DEBIAN_ARCH) is '${MACLIST_DEBIAN_ARCH}', none of the architectures "
                      "of tools/architectures:${known}. Name one: MACLIST_ARCH=arm64 cmake --workflow --preset cross")
endif()
# try_compile projects read this file again, and need the architecture too.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES MACLIST_DEBIAN_ARCH)

set(CMAKE_SYSTEM_NAME Linux)
string(REGEX MATCH "^[^-]+" CMAKE_SYSTEM_PROCESSOR "${MACLIST_TRIPLET}")
set(CMAKE_CXX_COMPILER ${MACLIST_TRIPLET}-g++)
set(CMAKE_LIBRARY_ARCHITECTURE ${MACLIST_TRIPLET})
set(CMAKE_FIND_ROOT_PATH /usr/${MACLIST_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

find_program(MACLIST_QEMU qemu-${qemu_arch}-static)
if(MACLIST_QEMU)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${MACLIST_QEMU})
endif()
