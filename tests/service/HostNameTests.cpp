#include "HostName.h"

#include <gtest/gtest.h>

namespace ipx {
namespace {

std::string Label(std::size_t length) {
    return std::string(length, 'a');
}

TEST(HostNameTest, KeepsWellFormedNames) {
    for (const char* name : {"example.net", "a", "host-1.example.net", "1.2.3.example",
                             "A-B.Example.NET", "xn--bcher-kva.example", "localhost"}) {
        EXPECT_EQ(WellFormedHostName(name), std::optional<std::string>(name)) << name;
    }
}

TEST(HostNameTest, DropsOneTrailingDot) {
    EXPECT_EQ(WellFormedHostName("example.net."), "example.net");
    EXPECT_FALSE(WellFormedHostName("example.net..").has_value());
    EXPECT_FALSE(WellFormedHostName(".").has_value());
}

TEST(HostNameTest, RejectsOddCharacters) {
    using namespace std::string_view_literals;
    for (const std::string_view name :
         {"under_score.example"sv, "space here.example"sv, "tab\t.example"sv, "new\nline"sv,
          "cr\r.example"sv, "semi;colon"sv, "<script>.example"sv, "quote\".example"sv,
          "slash/.example"sv, "at@example"sv, "star*.example"sv, "nul\0.example"sv,
          "caf\xc3\xa9.example"sv, "high\xff.example"sv, "esc\x1b.example"sv}) {
        EXPECT_FALSE(WellFormedHostName(name).has_value()) << name;
    }
}

TEST(HostNameTest, KeepsExactlyLettersDigitsAndInnerHyphensOfAnyByte) {
    for (int value = 0; value < 256; ++value) {
        const char c = static_cast<char>(value);
        // A dot is allowed too, making two labels of one.
        const bool allowed = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                             (c >= '0' && c <= '9') || c == '-' || c == '.';
        const std::string name = std::string("a") + c + "b.example";
        EXPECT_EQ(WellFormedHostName(name).has_value(), allowed) << "byte " << value;
    }
    // The last letters and digits, at either edge of a label.
    for (const char* name : {"z", "Z", "9", "z9", "9z.z9", "za-9.example", "a.z", "0-z.9-a"}) {
        EXPECT_EQ(WellFormedHostName(name), std::optional<std::string>(name)) << name;
    }
}

TEST(HostNameTest, RejectsEmptyLabels) {
    for (const char* name : {"", ".example", "a..example", "example..", "..", "..example"}) {
        EXPECT_FALSE(WellFormedHostName(name).has_value()) << name;
    }
}

TEST(HostNameTest, RejectsHyphensAtLabelEdges) {
    for (const char* name : {"-a.example", "a-.example", "a.-b", "a.b-", "-", "a.-.b"}) {
        EXPECT_FALSE(WellFormedHostName(name).has_value()) << name;
    }
}

TEST(HostNameTest, BoundsLabelLength) {
    EXPECT_TRUE(WellFormedHostName(Label(63) + ".example").has_value());
    EXPECT_FALSE(WellFormedHostName(Label(64) + ".example").has_value());
    EXPECT_FALSE(WellFormedHostName("a." + Label(64)).has_value());
}

TEST(HostNameTest, BoundsNameLength) {
    // 63 + 1 + 63 + 1 + 63 + 1 + 61 = 253 characters.
    const std::string longest = Label(63) + "." + Label(63) + "." + Label(63) + "." + Label(61);
    ASSERT_EQ(longest.size(), 253U);
    EXPECT_EQ(WellFormedHostName(longest), longest);
    EXPECT_EQ(WellFormedHostName(longest + "."), longest);
    EXPECT_FALSE(WellFormedHostName(longest + "a").has_value());
    EXPECT_FALSE(WellFormedHostName(longest + ".a").has_value());
    EXPECT_FALSE(WellFormedHostName(std::string(4096, 'a')).has_value());
}

}  // namespace
}  // namespace ipx
