# kestrin.exe carries no C++ runtime: it needs no exceptions or RTTI, and what it does not
# use is dropped when it is linked. The Windows-side tests keep the whole library.
set(KESTRIN_PROGRAM_COMPILE_OPTIONS -fno-exceptions -fno-rtti -ffunction-sections
                                    -fdata-sections)
# A 32-bit program needs no unwind tables; 64-bit Windows walks every stack by them,
# through the window procedure's callbacks too, so the 64-bit program keeps them.
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  list(APPEND KESTRIN_PROGRAM_COMPILE_OPTIONS -fno-asynchronous-unwind-tables)
  # i686 decorates a stdcall function with a leading underscore and its argument bytes.
  set(KESTRIN_ENTRY_SYMBOL _ProgramEntry@0)
else()
  set(KESTRIN_ENTRY_SYMBOL ProgramEntry)
endif()

# Links target as the program and fails the build when the link map shows a member of
# libstdc++, libsupc++ or winpthread in it: the first is what the size rests on, the
# last imports functions that Windows XP lacks. Without a link time in its header, the same
# source gives the same bytes, so that anyone can check a release against its commit.
# It starts at ProgramEntry (src/app/ProgramEntry.cpp), which calls wWinMain, without the
# C runtime's start-up: a program linked so must have no static constructors, which the
# same check refuses.
function(kestrin_link_small_program target)
  set(map ${CMAKE_CURRENT_BINARY_DIR}/${target}.map)
  target_sources(${target} PRIVATE ${PROJECT_SOURCE_DIR}/src/app/ProgramEntry.cpp)
  target_link_options(${target} PRIVATE -nostartfiles -Wl,--entry=${KESTRIN_ENTRY_SYMBOL} -static -s
                                        -Wl,--gc-sections -Wl,-Map=${map}
                                        -Wl,--no-insert-timestamp)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -DMAP=${map} -DPROGRAM=$<TARGET_FILE:${target}>
            -P ${PROJECT_SOURCE_DIR}/cmake/CheckNoCxxRuntime.cmake
    VERBATIM)
endfunction()
