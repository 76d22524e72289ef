#pragma once
// The program's version: one place for the code and the executable's version block.

#define KESTRIN_VERSION_MAJOR 1
#define KESTRIN_VERSION_MINOR 0
#define KESTRIN_VERSION_REVISION 0

#ifndef RC_INVOKED
#include <cstddef>
#include <span>
#include <string_view>

namespace kestrin {

// Writes the caption followed by its version ("Kestrin" becomes "Kestrin   Ver. 1.0.0")
// and a NUL into out, cutting the caption where out is too small for both; returns the
// characters written before the NUL.
std::size_t WithVersion(std::wstring_view caption, std::span<wchar_t> out) noexcept;

}  // namespace kestrin
#endif
