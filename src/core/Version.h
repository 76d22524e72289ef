#pragma once
// The program's version, for the code and the executable's version block.

#include "VersionNumbers.h"

#ifndef RC_INVOKED
#include <cstddef>
#include <span>
#include <string_view>

#define KESTRIN_WIDE_TEXT(x) L## #x
#define KESTRIN_NUMBER_TEXT(x) KESTRIN_WIDE_TEXT(x)

namespace kestrin {

// What start-up appends to the label's caption: three blanks, "Ver.", a blank and the
// dotted major, minor and revision numbers. Spelled out when compiled: number
// formatting would pull a printf into the program.
inline constexpr std::wstring_view kVersionSuffix =
    L"   Ver. " KESTRIN_NUMBER_TEXT(KESTRIN_VERSION_MAJOR) L"."
    KESTRIN_NUMBER_TEXT(KESTRIN_VERSION_MINOR) L"." KESTRIN_NUMBER_TEXT(KESTRIN_VERSION_REVISION);

// How the download names the program to the lookup service: "Kestrin/", the major
// number, a dot and the minor one.
inline constexpr wchar_t kUserAgent[] = L"Kestrin/" KESTRIN_NUMBER_TEXT(KESTRIN_VERSION_MAJOR)
    L"." KESTRIN_NUMBER_TEXT(KESTRIN_VERSION_MINOR);

// Writes the caption followed by kVersionSuffix and a NUL into out, cutting the caption
// where out is too small for both; returns the characters written before the NUL.
std::size_t WithVersion(std::wstring_view caption, std::span<wchar_t> out) noexcept;

}  // namespace kestrin
#endif
