#pragma once
// Texts are wide inside the program; bytes from outside are in the ANSI code page.

#include <string>
#include <string_view>

namespace kestrin {

std::wstring WideFromAnsi(std::string_view bytes);

}  // namespace kestrin
