# One warning policy for every target of ours, native and cross: warnings are errors.
set(KESTRIN_WARNINGS -Wall -Wextra -Wpedantic -Werror -Wshadow -Wconversion
                     -Wsign-conversion -Wnon-virtual-dtor -Wold-style-cast)
add_compile_options(${KESTRIN_WARNINGS})

if(KESTRIN_SANITIZE AND NOT WIN32)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all
                      -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()
