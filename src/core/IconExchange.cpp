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
                       std::wstring_view tip) {
    IconRecord record;
    record.cbSize = kIconRecordBytes;
    record.hWnd = hWnd;
    record.uID = uID;
    record.uFlags = uFlags;
    record.uCallbackMessage = uCallbackMessage;
    record.hIcon = hIcon;
    record.szTip = std::wstring(tip.substr(0, kTipChars - 1)) + L'\0';
    record.szTip.resize(kTipChars, L' ');
    return record;
}

std::array<std::uint8_t, kIconRecordBytes> IconRecordBytes(const IconRecord& record,
                                                           const AnsiConverter& toAnsi) {
    std::array<std::uint8_t, kIconRecordBytes> bytes{};
    const std::uint32_t numbers[] = {record.cbSize, record.hWnd, record.uID,
                                     record.uFlags, record.uCallbackMessage, record.hIcon};
    for (std::size_t i = 0; i < std::size(numbers); ++i) PutLittleEndian(&bytes[4 * i], numbers[i]);

    const std::string tip = toAnsi(record.szTip);
    const std::size_t length = std::min(tip.size(), kTipChars);
    std::copy_n(tip.begin(), length, bytes.begin() + 24);
    // A multi-byte code page can lengthen the tip: the field must still end in a NUL.
    if (tip.size() > kTipChars) bytes[kIconRecordBytes - 1] = 0;
    return bytes;
}

}  // namespace kestrin
