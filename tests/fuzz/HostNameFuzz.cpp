// Names as reverse DNS might hand them over: the verdict must match a plain re-check of
// the rule, and an accepted name comes back unchanged but for one trailing dot.

#include "FuzzTarget.h"

#include "HostName.h"

#include <string>

using fuzz::Require;

namespace {

bool IsNameCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           c == '-' || c == '.';
}

// Walks the name once, character by character, instead of label by label.
bool LooksWellFormed(std::string_view name) {
    if (!name.empty() && name.back() == '.') name.remove_suffix(1);
    if (name.empty() || name.size() > 253) return false;
    std::size_t labelLength = 0;
    char previous = '.';
    for (const char c : name) {
        if (!IsNameCharacter(c)) return false;
        if (c == '.') {
            if (labelLength == 0 || previous == '-') return false;
            labelLength = 0;
        } else {
            if (c == '-' && previous == '.') return false;
            if (++labelLength > 63) return false;
        }
        previous = c;
    }
    return labelLength > 0 && previous != '-';
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view name = fuzz::AsText(data, size);
    const auto kept = ipx::WellFormedHostName(name);
    Require(kept.has_value() == LooksWellFormed(name),
            "a name is kept exactly when it is letters, digits, hyphens and dots, at most 253 "
            "long, in labels of 1 to 63 that neither start nor end with a hyphen");
    if (kept) {
        const std::string_view expected = name.ends_with('.') ? name.substr(0, name.size() - 1) : name;
        Require(*kept == expected, "a kept name is the name without its trailing dot");
        Require(!kept->ends_with('.'), "a kept name has no trailing dot");
        Require(ipx::WellFormedHostName(*kept) == kept, "a kept name is kept again as it is");
    }
    return 0;
}
