#pragma once
// The notification-area icon's record, as the shell's ANSI entry point takes it: the
// first form of NOTIFYICONDATAA, laid out for the width of the process that hands it over.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace kestrin {

inline constexpr std::size_t kTipChars = 64;
// Room for the tip converted by any code page: a UTF-16 unit never takes more bytes.
inline constexpr std::size_t kMaxTipBytes = 4 * kTipChars;

// Where each field sits. The shell reads a 32-bit process's record as 88 bytes of 32-bit
// numbers, and a 64-bit process's with 8-byte handles, each field aligned to its size.
struct IconRecordLayout {
    std::size_t size;
    std::size_t handleBytes;
    std::size_t hWnd;
    std::size_t uID;
    std::size_t uFlags;
    std::size_t uCallbackMessage;
    std::size_t hIcon;
    std::size_t szTip;
};
inline constexpr IconRecordLayout kIconRecord32{88, 4, 4, 8, 12, 16, 20, 24};
inline constexpr IconRecordLayout kIconRecord64{104, 8, 8, 16, 20, 24, 32, 40};
inline constexpr std::size_t kMaxIconRecordBytes = kIconRecord64.size;

struct IconRecord {
    std::uint32_t cbSize = 0;
    std::uint64_t hWnd = 0;
    std::uint32_t uID = 0;
    std::uint32_t uFlags = 0;
    std::uint32_t uCallbackMessage = 0;
    std::uint64_t hIcon = 0;
    std::array<wchar_t, kTipChars> szTip{};
};

// The record for one shell call, its size that of layout: the tip, a NUL, then blanks to
// fill the field. A tip longer than 63 characters is cut so that the field still holds
// its NUL.
IconRecord SetIconData(const IconRecordLayout& layout, std::uint64_t hWnd, std::uint32_t uID,
                       std::uint32_t uFlags, std::uint32_t uCallbackMessage,
                       std::uint64_t hIcon, std::wstring_view tip) noexcept;

// Converts text into the ANSI code page, writing at most out.size() bytes; returns how
// many it wrote.
using AnsiConverter = std::size_t (*)(std::wstring_view text, std::span<char> out);

using IconRecordBuffer = std::array<std::uint8_t, kMaxIconRecordBytes>;

// The record's bytes in layout, its first layout.size bytes of the buffer: the numbers
// little-endian, handles cut to layout.handleBytes, gaps zero, the tip converted by toAnsi
// into its 64 bytes, NUL-padded or cut (keeping a final NUL) where the conversion changed
// its length.
IconRecordBuffer IconRecordBytes(const IconRecord& record, const IconRecordLayout& layout,
                                 AnsiConverter toAnsi) noexcept;

}  // namespace kestrin
