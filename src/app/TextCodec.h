#pragma once
// Texts are wide inside the program; bytes from outside are in the ANSI code page.

#include <string>
#include <string_view>

namespace kestrin {

std::wstring WideFromAnsi(std::string_view bytes);
std::string AnsiFromWide(std::wstring_view text);

}  // namespace kestrin
