# The command linked statically against musl (doc/building.md says why), from
# musl-tools for this machine, from tools/musl-dev's unpacked musl-dev for a
# cross build. Sets MACLIST_MUSL to ON where musl for the target is at hand
# (MACLIST_MUSL_MISSING to why not, elsewhere), MACLIST_MUSL_ROOT to the folder
# tools/musl-dev unpacked it in (empty for musl-tools'), and then defines
# maclist_build_with_musl(OBJECTS EXECUTABLE): compile the object library
# against musl, without exceptions or RTTI, and link the executable from it as
# a static PIE.

set(MACLIST_MUSL OFF)
if(CMAKE_CROSSCOMPILING)
  execute_process(COMMAND ${PROJECT_SOURCE_DIR}/tools/musl-dev ${MACLIST_DEBIAN_ARCH} OUTPUT_VARIABLE musl_root
                  ERROR_VARIABLE musl_error RESULT_VARIABLE musl_status OUTPUT_STRIP_TRAILING_WHITESPACE
                  ERROR_STRIP_TRAILING_WHITESPACE)
  file(GLOB musl_lib ${musl_root}/usr/lib/*-linux-musl*)
  set(MACLIST_MUSL_MISSING "musl-dev for ${MACLIST_DEBIAN_ARCH} cannot be had (${musl_error})")
  # The cross compiler's own headers of the kernel.
  set(uapi_include /usr/${MACLIST_TRIPLET}/include)
  set(uapi_asm ${uapi_include}/asm)
else()
  set(musl_status 0)
  set(musl_root "")
  string(REPLACE "-linux-gnu" "-linux-musl" musl_triplet "${CMAKE_LIBRARY_ARCHITECTURE}")
  set(musl_lib /usr/lib/${musl_triplet})
  set(MACLIST_MUSL_MISSING "musl (musl-tools) is not installed")
  set(uapi_include /usr/include)
  set(uapi_asm /usr/include/${CMAKE_LIBRARY_ARCHITECTURE}/asm)
endif()
get_filename_component(musl_triplet "${musl_lib}" NAME)
set(musl_include ${musl_root}/usr/include/${musl_triplet})
if(musl_status EQUAL 0 AND musl_triplet MATCHES "-linux-musl" AND EXISTS ${musl_include}/stdio.h
   AND EXISTS ${musl_lib}/libc.a AND EXISTS ${musl_lib}/rcrt1.o)
  set(MACLIST_MUSL ON)
endif()

if(MACLIST_MUSL)
  set(MACLIST_MUSL_ROOT "${musl_root}")
  # The kernel's UAPI headers alone, after musl's: nothing of glibc's behind.
  set(musl_uapi ${CMAKE_BINARY_DIR}/musl-uapi)
  file(MAKE_DIRECTORY ${musl_uapi})
  foreach(pair "linux;${uapi_include}/linux" "asm;${uapi_asm}" "asm-generic;${uapi_include}/asm-generic")
    list(GET pair 0 name)
    list(GET pair 1 target)
    file(CREATE_LINK ${target} ${musl_uapi}/${name} SYMBOLIC)
  endforeach()

  foreach(file crtbeginS.o crtendS.o libgcc.a include)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${file} OUTPUT_VARIABLE gcc_${file}
                    OUTPUT_STRIP_TRAILING_WHITESPACE)
  endforeach()

  function(maclist_build_with_musl objects executable)
    # _FORTIFY_SOURCE asks for glibc's checked functions; musl has none.
    target_compile_options(${objects} PRIVATE -nostdinc -nostdinc++ "SHELL:-isystem \"${musl_include}\""
                           "SHELL:-isystem \"${musl_uapi}\"" "SHELL:-isystem \"${gcc_include}\"" -fno-exceptions
                           -fno-rtti -U_FORTIFY_SOURCE)
    # A static PIE, asked of the linker itself: the GCC drivers for arm and
    # riscv64 make of -static-pie a dynamic program, of -static -pie a
    # fixed-address one. Relocations stay RELATIVE and unpacked (musl applies
    # no DT_RELR), and text-free. Release builds are stripped.
    target_link_options(${executable} PRIVATE -nostdlib -Wl,-static -Wl,-pie -Wl,--no-dynamic-linker -Wl,-z,text
                        $<$<CONFIG:Release,MinSizeRel>:-s> -Wl,--gc-sections
                        ${musl_lib}/rcrt1.o ${musl_lib}/crti.o
                        ${gcc_crtbeginS.o})
    # One group: 32-bit arm's libgcc calls back into libc (raise, on a
    # division by zero).
    target_link_libraries(${executable} PRIVATE -Wl,--start-group ${musl_lib}/libc.a ${gcc_libgcc.a} -Wl,--end-group
                          ${gcc_crtendS.o} ${musl_lib}/crtn.o)
    # Neither the C++ library nor the unwinder may be in the link map.
    add_custom_command(TARGET ${executable} POST_BUILD
      COMMAND sh -c [=[! grep -E 'libstdc\+\+|libgcc_eh' "$0" || { echo "$0: libstdc++ or libgcc_eh is linked in"; exit 1; }]=]
              ${CMAKE_CURRENT_BINARY_DIR}/${executable}.map
      VERBATIM)
  endfunction()
endif()
