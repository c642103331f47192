# Cross build for Linux with Debian's cross compilers (g++-<triplet>), its
# target programs run through qemu's user-mode emulation (qemu-user-static)
# where the build runs them: the tests, and the test discovery. Nothing is
# registered with the kernel.
#
# Set MACLIST_TRIPLET to the GNU triplet, such as aarch64-linux-gnu.
if(NOT MACLIST_TRIPLET)
  message(FATAL_ERROR "debian-cross.cmake needs MACLIST_TRIPLET, a GNU triplet such as aarch64-linux-gnu")
endif()
# try_compile projects read this file again, and need the triplet too.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES MACLIST_TRIPLET)

string(REGEX MATCH "^[^-]+" cross_cpu "${MACLIST_TRIPLET}")
# The triplet's architecture, by Debian's name, qemu's and RPM's, from the
# list of architectures.
file(STRINGS ${CMAKE_CURRENT_LIST_DIR}/../tools/architectures architectures REGEX "^[a-z]")
foreach(line IN LISTS architectures)
  string(REGEX MATCHALL "[^ ]+" fields "${line}")
  list(GET fields 1 triplet)
  if(triplet STREQUAL MACLIST_TRIPLET)
    list(GET fields 0 MACLIST_DEBIAN_ARCH)
    list(GET fields 3 qemu_arch)
    list(GET fields 4 MACLIST_RPM_ARCH)
  endif()
endforeach()
if(NOT MACLIST_DEBIAN_ARCH)
  message(FATAL_ERROR "tools/architectures has no architecture of the triplet ${MACLIST_TRIPLET}")
endif()

set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR ${cross_cpu})
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
