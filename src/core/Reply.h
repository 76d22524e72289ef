#pragma once
// What the lookup service's reply means for the two boxes of the window.

#include <string>
#include <string_view>
#include <vector>

namespace kestrin {

inline constexpr std::string_view kNoAddressText = "<unable to parse ip adress>";
inline constexpr std::string_view kNoHostText = "<unable to parse hostname>";

// A valid reply is a few dozen bytes; anything past this is not a reply of ours.
inline constexpr std::size_t kMaxReplyBytes = 64 * 1024;

// Splits at LF only: a CR before the LF stays part of its line. An empty text has no
// lines; a text ending in LF has an empty last line.
std::vector<std::string> SplitReplyLines(std::string_view text);

struct Answers {
    std::string address;  // for t_public
    std::string host;     // for t_host
};

// Line 1 and line 2 of the reply as shown, with the fallback text for a line that is
// empty or missing. Lines past the second are ignored.
Answers AnswersFromReply(std::string_view text);

}  // namespace kestrin
