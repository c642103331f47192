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
# The triplet's processor, as qemu and Debian name it.
set(qemu_of_aarch64 aarch64)
set(qemu_of_arm arm)
set(qemu_of_i686 i386)
set(qemu_of_powerpc64le ppc64le)
set(qemu_of_riscv64 riscv64)
set(qemu_of_s390x s390x)
set(debian_of_aarch64 arm64)
set(debian_of_i686 i386)
set(debian_of_powerpc64le ppc64el)
set(debian_of_riscv64 riscv64)
set(debian_of_s390x s390x)
if(MACLIST_TRIPLET STREQUAL "arm-linux-gnueabihf")
  set(MACLIST_DEBIAN_ARCH armhf)
elseif(MACLIST_TRIPLET STREQUAL "arm-linux-gnueabi")
  set(MACLIST_DEBIAN_ARCH armel)
else()
  set(MACLIST_DEBIAN_ARCH ${debian_of_${cross_cpu}})
endif()
if(NOT MACLIST_DEBIAN_ARCH OR NOT qemu_of_${cross_cpu})
  message(FATAL_ERROR "debian-cross.cmake does not know the triplet ${MACLIST_TRIPLET}")
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

find_program(MACLIST_QEMU qemu-${qemu_of_${cross_cpu}}-static)
if(MACLIST_QEMU)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${MACLIST_QEMU})
endif()
