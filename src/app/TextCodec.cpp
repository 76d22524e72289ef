#include "TextCodec.h"

#include <windows.h>

namespace kestrin {

std::wstring WideFromAnsi(std::string_view bytes) {
    if (bytes.empty()) return {};
    const int length = static_cast<int>(bytes.size());
    const int wideLength = MultiByteToWideChar(CP_ACP, 0, bytes.data(), length, nullptr, 0);
    if (wideLength <= 0) return {};
    std::wstring wide(static_cast<std::size_t>(wideLength), L'\0');
    MultiByteToWideChar(CP_ACP, 0, bytes.data(), length, wide.data(), wideLength);
    return wide;
}

std::string AnsiFromWide(std::wstring_view text) {
    if (text.empty()) return {};
    const int length = static_cast<int>(text.size());
    const int byteLength =
        WideCharToMultiByte(CP_ACP, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    if (byteLength <= 0) return {};
    std::string bytes(static_cast<std::size_t>(byteLength), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), length, bytes.data(), byteLength, nullptr,
                        nullptr);
    return bytes;
}

}  // namespace kestrin
