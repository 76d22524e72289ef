# One warning policy for every target, native and cross: warnings are errors.
add_compile_options(-Wall -Wextra -Wpedantic -Werror -Wshadow -Wconversion
                    -Wsign-conversion -Wnon-virtual-dtor -Wold-style-cast)

if(KESTRIN_SANITIZE AND NOT WIN32)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all
                      -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()
