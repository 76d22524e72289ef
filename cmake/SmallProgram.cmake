# kestrin.exe carries no C++ runtime: it needs no exceptions, RTTI or unwind tables, and
# what it does not use is dropped when it is linked. The Windows-side tests keep the
# whole library.
set(KESTRIN_PROGRAM_COMPILE_OPTIONS -fno-exceptions -fno-rtti -fno-asynchronous-unwind-tables
                                    -ffunction-sections -fdata-sections)

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
  target_link_options(${target} PRIVATE -nostartfiles -Wl,--entry=_ProgramEntry@0 -static -s
                                        -Wl,--gc-sections -Wl,-Map=${map}
                                        -Wl,--no-insert-timestamp)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -DMAP=${map} -DPROGRAM=$<TARGET_FILE:${target}>
            -P ${PROJECT_SOURCE_DIR}/cmake/CheckNoCxxRuntime.cmake
    VERBATIM)
endfunction()
