# Cross build for Windows with Debian's MinGW-w64 compilers, for MINGW_TRIPLET:
# i686-w64-mingw32 (PE32, 32-bit x86) or x86_64-w64-mingw32 (PE32+, x86-64).
if(NOT MINGW_TRIPLET)
  message(FATAL_ERROR "mingw.cmake needs MINGW_TRIPLET, such as x86_64-w64-mingw32")
endif()
# try_compile projects read this file again, and need the triplet too.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES MINGW_TRIPLET)
set(CMAKE_SYSTEM_NAME Windows)
string(REGEX MATCH "^[^-]+" CMAKE_SYSTEM_PROCESSOR "${MINGW_TRIPLET}")
set(CMAKE_CXX_COMPILER ${MINGW_TRIPLET}-g++)
set(CMAKE_RC_COMPILER ${MINGW_TRIPLET}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
