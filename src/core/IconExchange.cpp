#include "IconExchange.h"

#include <algorithm>

namespace kestrin {
namespace {

void PutLittleEndian(std::uint8_t* at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

}  // namespace

IconRecord SetIconData(std::uint32_t hWnd, std::uint32_t uID, std::uint32_t uFlags,
                       std::uint32_t uCallbackMessage, std::uint32_t hIcon,
                       std::wstring_view tip) noexcept {
    IconRecord record;
    record.cbSize = kIconRecordBytes;
    record.hWnd = hWnd;
    record.uID = uID;
    record.uFlags = uFlags;
    record.uCallbackMessage = uCallbackMessage;
    record.hIcon = hIcon;
    const std::size_t kept = std::min(tip.size(), kTipChars - 1);
    auto field = std::copy_n(tip.data(), kept, record.szTip.begin());
    *field++ = L'\0';
    std::fill(field, record.szTip.end(), L' ');
    return record;
}

std::array<std::uint8_t, kIconRecordBytes> IconRecordBytes(const IconRecord& record,
                                                           AnsiConverter toAnsi) noexcept {
    std::array<std::uint8_t, kIconRecordBytes> bytes{};
    const std::uint32_t numbers[] = {record.cbSize, record.hWnd, record.uID,
                                     record.uFlags, record.uCallbackMessage, record.hIcon};
    for (std::size_t i = 0; i < std::size(numbers); ++i) PutLittleEndian(&bytes[4 * i], numbers[i]);

    std::array<char, kMaxTipBytes> tip{};
    const std::size_t converted =
        std::min(toAnsi({record.szTip.data(), record.szTip.size()}, tip), tip.size());
    std::copy_n(tip.begin(), std::min(converted, kTipChars), bytes.begin() + 24);
    // A multi-byte code page can lengthen the tip: the field must still end in a NUL.
    if (converted > kTipChars) bytes[kIconRecordBytes - 1] = 0;
    return bytes;
}

}  // namespace kestrin
