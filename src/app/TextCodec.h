#pragma once
// Texts are wide inside the program; bytes from outside are in the ANSI code page.

#include <cstddef>
#include <span>
#include <string_view>

#include "Memory.h"

namespace kestrin {

// The bytes as wide text ending in a NUL; false when there is no memory for it.
HeapArray<wchar_t> WideFromAnsi(std::string_view bytes) noexcept;

// Writes text into out in the ANSI code page; returns the bytes written, 0 when the text
// does not fit.
std::size_t AnsiFromWide(std::wstring_view text, std::span<char> out) noexcept;

}  // namespace kestrin
