#include "HostName.h"

#include <algorithm>

namespace ipx {

namespace {

bool IsLetterOrDigit(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

bool IsWellFormedLabel(std::string_view label) {
    if (label.empty() || label.size() > kMaxLabelLength) {
        return false;
    }
    if (label.front() == '-' || label.back() == '-') {
        return false;
    }
    return std::ranges::all_of(label, [](char c) { return IsLetterOrDigit(c) || c == '-'; });
}

}  // namespace

std::optional<std::string> WellFormedHostName(std::string_view name) {
    if (name.ends_with('.')) {
        name.remove_suffix(1);
    }
    if (name.empty() || name.size() > kMaxHostNameLength) {
        return std::nullopt;
    }
    // Splitting keeps empty labels so that ".." and a leading dot are caught.
    std::size_t start = 0;
    while (true) {
        const std::size_t dot = name.find('.', start);
        if (!IsWellFormedLabel(name.substr(start, dot - start))) {
            return std::nullopt;
        }
        if (dot == std::string_view::npos) {
            return std::string(name);
        }
        start = dot + 1;
    }
}

}  // namespace ipx
