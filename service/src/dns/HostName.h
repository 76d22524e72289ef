#pragma once
// Which names from reverse DNS are fit to be shown and looked up again.

#include <optional>
#include <string>
#include <string_view>

namespace ipx {

inline constexpr std::size_t kMaxHostNameLength = 253;
inline constexpr std::size_t kMaxLabelLength = 63;

// The name without its trailing dot, if it is made only of letters, digits, hyphens and
// dots, is at most 253 characters, and each label is 1 to 63 characters that neither
// start nor end with a hyphen. Nothing otherwise: a name is never repaired.
std::optional<std::string> WellFormedHostName(std::string_view name);

}  // namespace ipx
