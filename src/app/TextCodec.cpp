#include "TextCodec.h"

#include <windows.h>

namespace kestrin {

HeapArray<wchar_t> WideFromAnsi(std::string_view bytes) noexcept {
    const int length = static_cast<int>(bytes.size());
    const int wideLength =
        length == 0 ? 0 : MultiByteToWideChar(CP_ACP, 0, bytes.data(), length, nullptr, 0);
    HeapArray<wchar_t> wide(static_cast<std::size_t>(wideLength) + 1);
    if (!wide) return wide;
    if (wideLength > 0) MultiByteToWideChar(CP_ACP, 0, bytes.data(), length, wide.data(), wideLength);
    wide.data()[wideLength] = L'\0';
    wide.Shorten(static_cast<std::size_t>(wideLength));
    return wide;
}

std::size_t AnsiFromWide(std::wstring_view text, std::span<char> out) noexcept {
    if (text.empty()) return 0;
    const int written = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                                            out.data(), static_cast<int>(out.size()), nullptr,
                                            nullptr);
    return written > 0 ? static_cast<std::size_t>(written) : 0;
}

}  // namespace kestrin
