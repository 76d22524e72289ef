# kestrin.exe carries no C++ runtime: it needs no exceptions, RTTI or unwind tables, and
# what it does not use is dropped when it is linked. The Windows-side tests keep the
# whole library.
set(KESTRIN_PROGRAM_COMPILE_OPTIONS -fno-exceptions -fno-rtti -fno-asynchronous-unwind-tables
                                    -ffunction-sections -fdata-sections)

# Links target as the program and fails the build when the link map shows a member of
# libstdc++, libsupc++ or winpthread in it: the first is what the size rests on, the
# last imports functions that Windows XP lacks. Without a link time in its header, the same
# source gives the same bytes, so that anyone can check a release against its commit.
function(kestrin_link_small_program target)
  set(map ${CMAKE_CURRENT_BINARY_DIR}/${target}.map)
  target_link_options(${target} PRIVATE -municode -static -s -Wl,--gc-sections -Wl,-Map=${map}
                                        -Wl,--no-insert-timestamp)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -DMAP=${map} -DPROGRAM=$<TARGET_FILE:${target}>
            -P ${PROJECT_SOURCE_DIR}/cmake/CheckNoCxxRuntime.cmake
    VERBATIM)
endfunction()
