# Run after kestrin.exe is linked: MAP is its link map, PROGRAM the file. The program is
# removed again when a runtime library slipped in, or a static constructor that its entry
# point, which runs no C runtime start-up, would never call; so that no later build takes
# it as done.
file(STRINGS ${MAP} pulled REGEX "lib(stdc\\+\\+|supc\\+\\+|winpthread)[^/]*\\.a\\(")
file(STRINGS ${MAP} constructors
     REGEX "^ \\.(ctors|init_array)[^ ]* +0x[0-9a-f]+ +0x0*[1-9a-f][0-9a-f]* ")
if(pulled OR constructors)
  file(REMOVE ${PROGRAM})
  list(JOIN pulled "\n" members)
  list(JOIN constructors "\n" constructed)
  message(FATAL_ERROR "${PROGRAM} must not carry the C++ runtime, winpthread or static "
                      "constructors; the link took these:\n${members}${constructed}")
endif()
