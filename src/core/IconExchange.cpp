#include "IconExchange.h"

#include <algorithm>

namespace kestrin {
namespace {

void PutLittleEndian(std::uint8_t* at, std::uint64_t value, std::size_t bytes) {
    for (std::size_t i = 0; i < bytes; ++i) at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

}  // namespace

IconRecord SetIconData(const IconRecordLayout& layout, std::uint64_t hWnd, std::uint32_t uID,
                       std::uint32_t uFlags, std::uint32_t uCallbackMessage,
                       std::uint64_t hIcon, std::wstring_view tip) noexcept {
    IconRecord record;
    record.cbSize = static_cast<std::uint32_t>(layout.size);
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

IconRecordBuffer IconRecordBytes(const IconRecord& record, const IconRecordLayout& layout,
                                 AnsiConverter toAnsi) noexcept {
    IconRecordBuffer bytes{};
    PutLittleEndian(&bytes[0], record.cbSize, 4);
    PutLittleEndian(&bytes[layout.hWnd], record.hWnd, layout.handleBytes);
    PutLittleEndian(&bytes[layout.uID], record.uID, 4);
    PutLittleEndian(&bytes[layout.uFlags], record.uFlags, 4);
    PutLittleEndian(&bytes[layout.uCallbackMessage], record.uCallbackMessage, 4);
    PutLittleEndian(&bytes[layout.hIcon], record.hIcon, layout.handleBytes);

    std::array<char, kMaxTipBytes> tip{};
    const std::size_t converted =
        std::min(toAnsi({record.szTip.data(), record.szTip.size()}, tip), tip.size());
    std::copy_n(tip.begin(), std::min(converted, kTipChars), bytes.begin() + layout.szTip);
    // A multi-byte code page can lengthen the tip: the field must still end in a NUL.
    if (converted > kTipChars) bytes[layout.szTip + kTipChars - 1] = 0;
    return bytes;
}

}  // namespace kestrin
