#include "Reply.h"

namespace kestrin {

std::vector<std::string> SplitReplyLines(std::string_view text) {
    std::vector<std::string> lines;
    if (text.empty()) return lines;
    std::size_t start = 0;
    for (;;) {
        const std::size_t lf = text.find('\n', start);
        if (lf == std::string_view::npos) {
            lines.emplace_back(text.substr(start));
            return lines;
        }
        lines.emplace_back(text.substr(start, lf - start));
        start = lf + 1;
    }
}

namespace {

std::string LineOrFallback(const std::vector<std::string>& lines, std::size_t index,
                           std::string_view fallback) {
    if (index < lines.size() && !lines[index].empty()) return lines[index];
    return std::string(fallback);
}

}  // namespace

Answers AnswersFromReply(std::string_view text) {
    const auto lines = SplitReplyLines(text);
    return {LineOrFallback(lines, 0, kNoAddressText), LineOrFallback(lines, 1, kNoHostText)};
}

}  // namespace kestrin
