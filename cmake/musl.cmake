# The command linked statically against musl (Debian's musl-tools) instead of
# glibc: musl's start-up does next to nothing, where a static glibc program
# spends most of its short life detecting processor features and relocating
# itself. The program needs nothing of the C++ library, so it is built
# without exceptions or RTTI and linked with no libstdc++ or libgcc_eh; the
# kernel's UAPI headers, which musl does not ship, come from the system's
# linux-libc-dev, searched after musl's own.
#
# Sets MACLIST_MUSL to ON where musl is installed for this machine, and then
# defines maclist_build_with_musl(OBJECTS EXECUTABLE): compile the object
# library against musl and link the executable from it as a static PIE.

set(MACLIST_MUSL OFF)
string(REPLACE "-linux-gnu" "-linux-musl" musl_triplet "${CMAKE_LIBRARY_ARCHITECTURE}")
set(musl_include /usr/include/${musl_triplet})
set(musl_lib /usr/lib/${musl_triplet})
if(musl_triplet MATCHES "-linux-musl" AND EXISTS ${musl_include}/stdio.h AND EXISTS ${musl_lib}/libc.a
   AND EXISTS ${musl_lib}/rcrt1.o)
  set(MACLIST_MUSL ON)
endif()

if(MACLIST_MUSL)
  # Only the kernel's own headers, so that nothing of glibc's is found by
  # mistake behind musl's.
  set(musl_uapi ${CMAKE_BINARY_DIR}/musl-uapi)
  file(MAKE_DIRECTORY ${musl_uapi})
  foreach(pair "linux;/usr/include/linux" "asm;/usr/include/${CMAKE_LIBRARY_ARCHITECTURE}/asm"
               "asm-generic;/usr/include/asm-generic")
    list(GET pair 0 name)
    list(GET pair 1 target)
    file(CREATE_LINK ${target} ${musl_uapi}/${name} SYMBOLIC)
  endforeach()

  foreach(file crtbeginS.o crtendS.o include)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${file} OUTPUT_VARIABLE gcc_${file}
                    OUTPUT_STRIP_TRAILING_WHITESPACE)
  endforeach()
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-libgcc-file-name OUTPUT_VARIABLE gcc_libgcc
                  OUTPUT_STRIP_TRAILING_WHITESPACE)

  function(maclist_build_with_musl objects executable)
    # _FORTIFY_SOURCE asks for glibc's checked functions; musl has none.
    target_compile_options(${objects} PRIVATE -nostdinc -nostdinc++ "SHELL:-isystem \"${musl_include}\""
                           "SHELL:-isystem \"${musl_uapi}\"" "SHELL:-isystem \"${gcc_include}\"" -fno-exceptions
                           -fno-rtti -U_FORTIFY_SOURCE)
    # musl applies no packed relative relocations (DT_RELR), and this
    # program has a handful of them.
    target_link_options(${executable} PRIVATE -nostdlib -static-pie -s -Wl,--gc-sections
                        -Wl,-Map=${CMAKE_CURRENT_BINARY_DIR}/${executable}.map ${musl_lib}/rcrt1.o ${musl_lib}/crti.o
                        ${gcc_crtbeginS.o})
    target_link_libraries(${executable} PRIVATE ${musl_lib}/libc.a ${gcc_libgcc} ${gcc_crtendS.o} ${musl_lib}/crtn.o)
    # The link map says what went in: neither the C++ library nor the
    # unwinder may.
    add_custom_command(TARGET ${executable} POST_BUILD
      COMMAND sh -c [=[! grep -E 'libstdc\+\+|libgcc_eh' "$0" || { echo "$0: libstdc++ or libgcc_eh is linked in"; exit 1; }]=]
              ${CMAKE_CURRENT_BINARY_DIR}/${executable}.map
      VERBATIM)
  endfunction()
endif()
