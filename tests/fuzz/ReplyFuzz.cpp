// Any bytes as the lookup service's reply: the split must lose and invent nothing, and
// the two boxes get line 1 and line 2 or their fallback texts, never a line break.

#include "FuzzTarget.h"

#include "Reply.h"

#include <algorithm>
#include <string>
#include <vector>

using fuzz::Require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view reply = fuzz::AsText(data, size);
    std::vector<std::string_view> lines;
    kestrin::ReplyLines reader(reply);
    for (std::string_view line; reader.Next(line);) lines.push_back(line);

    if (reply.empty()) {
        Require(lines.empty(), "an empty reply has no lines");
    } else {
        const auto breaks = static_cast<std::size_t>(std::count(reply.begin(), reply.end(), '\n'));
        Require(lines.size() == breaks + 1, "one more line than line feeds");
    }
    std::string joined;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        Require(lines[i].find('\n') == std::string::npos, "a line holds no line feed");
        if (i > 0) joined += '\n';
        joined += lines[i];
    }
    Require(joined == reply, "the lines joined with line feeds give back the reply");

    const auto answers = kestrin::AnswersFromReply(reply);
    const std::string_view first = !lines.empty() ? lines[0] : "";
    const std::string_view second = lines.size() > 1 ? lines[1] : "";
    Require(answers.address == (first.empty() ? kestrin::kNoAddressText : first),
            "the address is line 1, or its fallback when line 1 is empty or missing");
    Require(answers.host == (second.empty() ? kestrin::kNoHostText : second),
            "the host is line 2, or its fallback when line 2 is empty or missing");
    Require(answers.address.find('\n') == std::string::npos, "no line feed in the address");
    Require(answers.host.find('\n') == std::string::npos, "no line feed in the host");
    Require(!answers.address.empty() && !answers.host.empty(), "neither box is ever blank");
    return 0;
}
