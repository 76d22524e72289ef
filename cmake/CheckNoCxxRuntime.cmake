# Run after kestrin.exe is linked: MAP is its link map, PROGRAM the file. The program is
# removed again when a runtime library slipped in, so that no later build takes it as done.
file(STRINGS ${MAP} pulled REGEX "lib(stdc\\+\\+|supc\\+\\+|winpthread)[^/]*\\.a\\(")
if(pulled)
  file(REMOVE ${PROGRAM})
  list(JOIN pulled "\n" members)
  message(FATAL_ERROR "${PROGRAM} must not carry the C++ runtime or winpthread; "
                      "the link took these members:\n${members}")
endif()
