#pragma once
// Splitting of the short lists found in headers and environment variables.

#include <string_view>
#include <vector>

namespace ipx {

// The pieces between any of the separators, empty pieces left out.
std::vector<std::string_view> SplitNonEmpty(std::string_view text, std::string_view separators);

// Every piece between commas, spaces and tabs trimmed, empty pieces kept.
std::vector<std::string_view> SplitCommaList(std::string_view text);

}  // namespace ipx
