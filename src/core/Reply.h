#pragma once
// What the lookup service's reply means for the two boxes of the window.

#include <cstddef>
#include <string_view>

namespace kestrin {

inline constexpr std::string_view kNoAddressText = "<unable to parse ip adress>";
inline constexpr std::string_view kNoHostText = "<unable to parse hostname>";

// A valid reply is a few dozen bytes; anything past this is not a reply of ours.
inline constexpr std::size_t kMaxReplyBytes = 64 * 1024;

// Walks a reply's lines, split at LF only: a CR before the LF stays part of its line.
// An empty text has no lines; a text ending in LF has an empty last line.
class ReplyLines {
public:
    explicit constexpr ReplyLines(std::string_view text) noexcept
        : rest_(text), done_(text.empty()) {}

    // The next line, or false when there are no more.
    bool Next(std::string_view& line) noexcept;

private:
    std::string_view rest_;
    bool done_;
};

// Views of line 1 and line 2 of the reply, or of the fallback text for a line that is
// empty or missing. Lines past the second are ignored.
struct Answers {
    std::string_view address;  // for t_public
    std::string_view host;     // for t_host
};

Answers AnswersFromReply(std::string_view text) noexcept;

}  // namespace kestrin
