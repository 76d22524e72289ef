#include "Version.h"

#include <algorithm>

namespace kestrin {

std::size_t WithVersion(std::wstring_view caption, std::span<wchar_t> out) noexcept {
    if (out.empty()) return 0;
    const std::size_t room = out.size() - 1;
    const std::size_t suffix = std::min(kVersionSuffix.size(), room);
    const std::size_t kept = std::min(caption.size(), room - suffix);
    wchar_t* at = std::copy_n(caption.data(), kept, out.data());
    at = std::copy_n(kVersionSuffix.data(), suffix, at);
    *at = L'\0';
    return kept + suffix;
}

}  // namespace kestrin
