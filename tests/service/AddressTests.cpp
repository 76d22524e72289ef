#include "Address.h"

#include <gtest/gtest.h>

namespace ipx {
namespace {

std::string CanonicalText(std::string_view text) {
    const auto address = Address::Parse(text);
    return address ? address->Text() : "<invalid>";
}

TEST(AddressTest, KeepsCanonicalIpv4AsItIs) {
    EXPECT_EQ(CanonicalText("127.0.0.1"), "127.0.0.1");
    EXPECT_EQ(CanonicalText("0.0.0.0"), "0.0.0.0");
    EXPECT_EQ(CanonicalText("255.255.255.255"), "255.255.255.255");
    EXPECT_EQ(Address::Parse("192.0.2.7")->family(), Address::Family::V4);
}

TEST(AddressTest, WritesIpv6InItsCanonicalForm) {
    EXPECT_EQ(CanonicalText("2001:DB8:0:0:0:0:0:1"), "2001:db8::1");
    EXPECT_EQ(CanonicalText("2001:0db8:0000:0000:0001:0000:0000:0001"), "2001:db8::1:0:0:1");
    EXPECT_EQ(CanonicalText("0:0:0:0:0:0:0:1"), "::1");
    EXPECT_EQ(CanonicalText("::"), "::");
    EXPECT_EQ(CanonicalText("FE80::ABCD"), "fe80::abcd");
    EXPECT_EQ(Address::Parse("::1")->family(), Address::Family::V6);
}

TEST(AddressTest, WritesIpv4MappedIpv6AsPlainIpv4) {
    EXPECT_EQ(CanonicalText("::ffff:192.0.2.1"), "192.0.2.1");
    EXPECT_EQ(CanonicalText("::FFFF:c000:0201"), "192.0.2.1");
    EXPECT_EQ(CanonicalText("0:0:0:0:0:ffff:127.0.0.1"), "127.0.0.1");
    EXPECT_EQ(Address::Parse("::ffff:10.1.2.3")->family(), Address::Family::V4);
    EXPECT_EQ(Address::Parse("::ffff:10.1.2.3"), Address::Parse("10.1.2.3"));
}

TEST(AddressTest, LeavesOtherEmbeddedIpv4FormsAsIpv6) {
    EXPECT_EQ(Address::Parse("64:ff9b::192.0.2.1")->family(), Address::Family::V6);
    EXPECT_EQ(CanonicalText("::fffe:192.0.2.1"), "::fffe:c000:201");
}

TEST(AddressTest, RejectsAnythingThatIsNotABareLiteral) {
    for (const char* text : {"", " ", "localhost", "example.net", "1.2.3", "1.2.3.4.5",
                             "256.1.1.1", "01.2.3.4", "1.2.3.4 ", " 1.2.3.4", "1.2.3.4\n",
                             "1.2.3.4:80", "[::1]", "[::1]:80", "fe80::1%eth0", "::1/128",
                             "1.2.3.4/32", "::g", "1:2:3:4:5:6:7:8:9", "2001:db8:::1",
                             "0x7f.0.0.1", "1.2.3.4,5.6.7.8", "unknown"}) {
        EXPECT_FALSE(Address::Parse(text).has_value()) << '"' << text << '"';
    }
}

TEST(AddressTest, RejectsTextWithAnEmbeddedNul) {
    using namespace std::string_view_literals;
    EXPECT_FALSE(Address::Parse("1.2.3.4\0junk"sv).has_value());
    EXPECT_FALSE(Address::Parse("::1\0"sv).has_value());
}

TEST(AddressTest, GivesNetworkOrderBytesOfTheRightLength) {
    const auto v4 = Address::Parse("192.0.2.1");
    ASSERT_EQ(v4->bytes().size(), 4U);
    EXPECT_EQ(v4->bytes()[0], 192);
    EXPECT_EQ(v4->bytes()[3], 1);
    const auto v6 = Address::Parse("2001:db8::ff");
    ASSERT_EQ(v6->bytes().size(), 16U);
    EXPECT_EQ(v6->bytes()[0], 0x20);
    EXPECT_EQ(v6->bytes()[15], 0xff);
}

}  // namespace
}  // namespace ipx
