#pragma once
// The notification-area icon's record, as the shell's ANSI entry point takes it: the
// first, 88-byte form of NOTIFYICONDATAA.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace kestrin {

inline constexpr std::size_t kIconRecordBytes = 88;
inline constexpr std::size_t kTipChars = 64;
// Room for the tip converted by any code page: a UTF-16 unit never takes more bytes.
inline constexpr std::size_t kMaxTipBytes = 4 * kTipChars;

struct IconRecord {
    std::uint32_t cbSize = 0;
    std::uint32_t hWnd = 0;
    std::uint32_t uID = 0;
    std::uint32_t uFlags = 0;
    std::uint32_t uCallbackMessage = 0;
    std::uint32_t hIcon = 0;
    std::array<wchar_t, kTipChars> szTip{};
};

// The record for one shell call: the tip, a NUL, then blanks to fill the field. A tip
// longer than 63 characters is cut so that the field still holds its NUL.
IconRecord SetIconData(std::uint32_t hWnd, std::uint32_t uID, std::uint32_t uFlags,
                       std::uint32_t uCallbackMessage, std::uint32_t hIcon,
                       std::wstring_view tip) noexcept;

// Converts text into the ANSI code page, writing at most out.size() bytes; returns how
// many it wrote.
using AnsiConverter = std::size_t (*)(std::wstring_view text, std::span<char> out);

// The record's bytes: the numbers little-endian, the tip converted by toAnsi into its 64
// bytes, NUL-padded or cut (keeping a final NUL) where the conversion changed its length.
std::array<std::uint8_t, kIconRecordBytes> IconRecordBytes(const IconRecord& record,
                                                           AnsiConverter toAnsi) noexcept;

}  // namespace kestrin
