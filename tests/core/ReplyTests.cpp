#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Reply.h"

using kestrin::AnswersFromReply;

namespace {

std::vector<std::string> SplitReplyLines(std::string_view text) {
    std::vector<std::string> lines;
    kestrin::ReplyLines reader(text);
    for (std::string_view line; reader.Next(line);) lines.emplace_back(line);
    return lines;
}

void ExpectAnswers(std::string_view reply, std::string_view address, std::string_view host) {
    const auto answers = AnswersFromReply(reply);
    EXPECT_EQ(answers.address, address) << "reply: " << reply;
    EXPECT_EQ(answers.host, host) << "reply: " << reply;
}

}  // namespace

TEST(ReplyLines, SplitAtLineFeedOnlyAndKeepCarriageReturns) {
    EXPECT_TRUE(SplitReplyLines("").empty());
    EXPECT_EQ(SplitReplyLines("a"), (std::vector<std::string>{"a"}));
    EXPECT_EQ(SplitReplyLines("a\n"), (std::vector<std::string>{"a", ""}));
    EXPECT_EQ(SplitReplyLines("\n"), (std::vector<std::string>{"", ""}));
    EXPECT_EQ(SplitReplyLines("a\r\nb\r\n"), (std::vector<std::string>{"a\r", "b\r", ""}));
    EXPECT_EQ(SplitReplyLines("a\rb"), (std::vector<std::string>{"a\rb"}));
    EXPECT_EQ(SplitReplyLines("a\n\nc"), (std::vector<std::string>{"a", "", "c"}));
}

TEST(ReplyAnswers, TwoLinesFillBothBoxesAndLaterLinesAreIgnored) {
    ExpectAnswers("203.0.113.7\nhost.example.net\n", "203.0.113.7", "host.example.net");
    ExpectAnswers("203.0.113.7\nhost.example.net", "203.0.113.7", "host.example.net");
    ExpectAnswers("1.2.3.4\nh\nthird\nfourth", "1.2.3.4", "h");
}

TEST(ReplyAnswers, LinesAreShownAsTheyArrive) {
    ExpectAnswers("1.2.3.4\r\nh.example\r\n", "1.2.3.4\r", "h.example\r");
    ExpectAnswers("1.2.3.4\r\nh.example", "1.2.3.4\r", "h.example");
    ExpectAnswers("  not an address \nnot a host!\n", "  not an address ", "not a host!");
}

TEST(ReplyAnswers, MissingOrEmptyLinesGetTheirFallbackText) {
    ExpectAnswers("1.2.3.4", "1.2.3.4", "<unable to parse hostname>");
    ExpectAnswers("1.2.3.4\n", "1.2.3.4", "<unable to parse hostname>");
    ExpectAnswers("", "<unable to parse ip adress>", "<unable to parse hostname>");
    ExpectAnswers("\nh.example", "<unable to parse ip adress>", "h.example");
    ExpectAnswers("\n\n", "<unable to parse ip adress>", "<unable to parse hostname>");
}

TEST(ReplyAnswers, BytesBeyondAsciiAndNulPassThrough) {
    const std::string withNul("a\0b\n\xe9t\xe9", 7);
    const auto answers = AnswersFromReply(withNul);
    EXPECT_EQ(answers.address, std::string("a\0b", 3));
    EXPECT_EQ(answers.host, "\xe9t\xe9");
}
