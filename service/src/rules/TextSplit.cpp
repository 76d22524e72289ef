#include "TextSplit.h"

namespace ipx {

namespace {

constexpr std::string_view kBlanks = " \t";

std::string_view TrimBlanks(std::string_view text) {
    const std::size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) {
        return {};
    }
    const std::size_t last = text.find_last_not_of(kBlanks);
    return text.substr(first, last - first + 1);
}

}  // namespace

std::vector<std::string_view> SplitNonEmpty(std::string_view text, std::string_view separators) {
    std::vector<std::string_view> pieces;
    std::size_t start = text.find_first_not_of(separators);
    while (start != std::string_view::npos) {
        const std::size_t end = text.find_first_of(separators, start);
        pieces.push_back(text.substr(start, end - start));
        start = text.find_first_not_of(separators, end);
    }
    return pieces;
}

std::vector<std::string_view> SplitCommaList(std::string_view text) {
    std::vector<std::string_view> pieces;
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = text.find(',', start);
        pieces.push_back(TrimBlanks(text.substr(start, comma - start)));
        if (comma == std::string_view::npos) {
            return pieces;
        }
        start = comma + 1;
    }
}

}  // namespace ipx
