#include "Reply.h"

namespace kestrin {

// Views are cut by hand: string_view::substr may throw, and the program has no exceptions.
bool ReplyLines::Next(std::string_view& line) noexcept {
    if (done_) return false;
    const std::size_t lf = rest_.find('\n');
    if (lf == std::string_view::npos) {
        line = rest_;
        done_ = true;
        return true;
    }
    line = std::string_view(rest_.data(), lf);
    rest_ = std::string_view(rest_.data() + lf + 1, rest_.size() - lf - 1);
    return true;
}

namespace {

std::string_view LineOrFallback(ReplyLines& lines, std::string_view fallback) {
    std::string_view line;
    return lines.Next(line) && !line.empty() ? line : fallback;
}

}  // namespace

Answers AnswersFromReply(std::string_view text) noexcept {
    ReplyLines lines(text);
    const std::string_view address = LineOrFallback(lines, kNoAddressText);
    return {address, LineOrFallback(lines, kNoHostText)};
}

}  // namespace kestrin
