#include "ClientAddress.h"
#include "TrustedProxies.h"

#include <gtest/gtest.h>

#include <vector>

namespace ipx {
namespace {

TrustedProxies Trusting(std::string_view list) {
    auto proxies = TrustedProxies::Parse(list);
    EXPECT_TRUE(proxies.has_value()) << list;
    return proxies.value_or(TrustedProxies{});
}

std::string Client(std::string_view remoteAddr, std::optional<std::string_view> forwardedFor,
                   const TrustedProxies& trusted) {
    const auto client = SelectClientAddress(remoteAddr, forwardedFor, trusted);
    return client ? client->Text() : "<invalid>";
}

bool Trusts(std::string_view list, std::string_view address) {
    return Trusting(list).Contains(*Address::Parse(address));
}

TEST(TrustedProxiesTest, MatchesAddressesAndRanges) {
    EXPECT_TRUE(Trusts("127.0.0.1", "127.0.0.1"));
    EXPECT_FALSE(Trusts("127.0.0.1", "127.0.0.2"));
    EXPECT_TRUE(Trusts("10.0.0.0/8", "10.255.0.1"));
    EXPECT_FALSE(Trusts("10.0.0.0/8", "11.0.0.1"));
    EXPECT_TRUE(Trusts("192.0.2.128/25", "192.0.2.200"));
    EXPECT_FALSE(Trusts("192.0.2.128/25", "192.0.2.127"));
    EXPECT_TRUE(Trusts("2001:db8::/32", "2001:db8:ffff::1"));
    EXPECT_FALSE(Trusts("2001:db8::/32", "2001:db9::1"));
    EXPECT_TRUE(Trusts("0.0.0.0/0", "203.0.113.9"));
    EXPECT_FALSE(Trusts("0.0.0.0/0", "2001:db8::1"));
    EXPECT_TRUE(Trusts("::1", "::1"));
}

TEST(TrustedProxiesTest, TakesEveryPrefixLengthUpToTheWholeAddress) {
    struct Case {
        const char* list;
        const char* address;
        bool trusted;
    };
    for (const Case& c : {Case{"192.0.2.7/32", "192.0.2.7", true},
                          Case{"192.0.2.7/32", "192.0.2.6", false},
                          Case{"2001:db8::7/128", "2001:db8::7", true},
                          Case{"2001:db8::7/128", "2001:db8::6", false},
                          // A bare address is the whole address: ::1 does not hold ::.
                          Case{"::1", "::", false}, Case{"::1", "::3", false},
                          // Bits past the prefix length are ignored, not required to be 0.
                          Case{"192.0.2.129/25", "192.0.2.130", true},
                          Case{"192.0.2.129/25", "192.0.2.255", true},
                          Case{"192.0.2.129/25", "192.0.2.1", false},
                          Case{"2001:db8::1/64", "2001:db8::ffff", true}}) {
        EXPECT_EQ(Trusts(c.list, c.address), c.trusted) << c.list << " " << c.address;
    }
    // A prefix length too long to read must never become /0 and trust everyone.
    for (const char* list : {"10.0.0.0/99999999999", "::/99999999999999999999999",
                             "0.0.0.0/4294967296", "10.0.0.0/4294967304"}) {
        EXPECT_FALSE(TrustedProxies::Parse(list).has_value()) << list;
    }
}

TEST(TrustedProxiesTest, ComparesMappedAddressesAsIpv4) {
    EXPECT_TRUE(Trusts("127.0.0.1", "::ffff:127.0.0.1"));
    EXPECT_TRUE(Trusts("::ffff:10.0.0.1", "10.0.0.1"));
    EXPECT_FALSE(Trusts("::/0", "10.0.0.1"));
}

TEST(TrustedProxiesTest, TakesSpacesTabsAndCommasBetweenItems) {
    const TrustedProxies proxies = Trusting(" 127.0.0.1\t10.0.0.0/8,::1 , 192.0.2.5 ");
    for (const char* address : {"127.0.0.1", "10.9.8.7", "::1", "192.0.2.5"}) {
        EXPECT_TRUE(proxies.Contains(*Address::Parse(address))) << address;
    }
    EXPECT_FALSE(proxies.Contains(*Address::Parse("192.0.2.6")));
}

TEST(TrustedProxiesTest, EmptyListTrustsNobody) {
    EXPECT_FALSE(Trusts("", "127.0.0.1"));
    EXPECT_FALSE(Trusts("  ", "::1"));
}

TEST(TrustedProxiesTest, RejectsListsWithAnyBadItem) {
    for (const char* list : {"localhost", "10.0.0.0/33", "::/129", "10.0.0.0/", "10.0.0.0/-1",
                             "10.0.0.0/8x", "10.0.0.0/+8", "/8", "127.0.0.1 proxy.example",
                             "10.0.0.0//8", "[::1]"}) {
        EXPECT_FALSE(TrustedProxies::Parse(list).has_value()) << list;
    }
}

TEST(ClientAddressTest, PeerIsTheCallerWhenNoProxyIsTrusted) {
    const TrustedProxies none;
    EXPECT_EQ(Client("198.51.100.7", std::nullopt, none), "198.51.100.7");
    EXPECT_EQ(Client("::ffff:198.51.100.7", std::nullopt, none), "198.51.100.7");
    EXPECT_EQ(Client("2001:DB8::7", std::nullopt, none), "2001:db8::7");
}

TEST(ClientAddressTest, IgnoresForwardedForFromAnUntrustedPeer) {
    const TrustedProxies trusted = Trusting("10.0.0.0/8");
    EXPECT_EQ(Client("198.51.100.7", "203.0.113.1", trusted), "198.51.100.7");
    EXPECT_EQ(Client("198.51.100.7", "10.0.0.1", trusted), "198.51.100.7");
    EXPECT_EQ(Client("198.51.100.7", "garbage", trusted), "198.51.100.7");
    EXPECT_EQ(Client("198.51.100.7", "203.0.113.1", TrustedProxies{}), "198.51.100.7");
}

TEST(ClientAddressTest, TakesTheNearestUntrustedHopBehindTrustedProxies) {
    const TrustedProxies trusted = Trusting("127.0.0.1 10.0.0.0/8 ::1");
    EXPECT_EQ(Client("127.0.0.1", "203.0.113.1", trusted), "203.0.113.1");
    EXPECT_EQ(Client("127.0.0.1", "203.0.113.1, 10.1.1.1", trusted), "203.0.113.1");
    // The leftmost entry is whatever the caller chose to send: it must not win.
    EXPECT_EQ(Client("127.0.0.1", "6.6.6.6, 203.0.113.1, 10.1.1.1", trusted), "203.0.113.1");
    EXPECT_EQ(Client("::1", "2001:db8::5,10.2.2.2", trusted), "2001:db8::5");
    EXPECT_EQ(Client("127.0.0.1", " ::ffff:203.0.113.1 ", trusted), "203.0.113.1");
    // A tab next to a hop is a blank too.
    EXPECT_EQ(Client("127.0.0.1", "\t203.0.113.1\t,\t10.1.1.1\t", trusted), "203.0.113.1");
    EXPECT_EQ(Client("127.0.0.1", "6.6.6.6,\t 203.0.113.1 \t", trusted), "203.0.113.1");
}

TEST(ClientAddressTest, TakesTheLeftmostHopWhenAllAreTrusted) {
    const TrustedProxies trusted = Trusting("10.0.0.0/8 127.0.0.1");
    EXPECT_EQ(Client("127.0.0.1", "10.0.0.3, 10.0.0.2", trusted), "10.0.0.3");
    EXPECT_EQ(Client("127.0.0.1", std::nullopt, trusted), "127.0.0.1");
}

TEST(ClientAddressTest, DoesNotReadHopsLeftOfTheCaller) {
    const TrustedProxies trusted = Trusting("127.0.0.1");
    EXPECT_EQ(Client("127.0.0.1", "not-an-address, 203.0.113.1", trusted), "203.0.113.1");
}

TEST(ClientAddressTest, RejectsAnInvalidPeer) {
    const TrustedProxies trusted = Trusting("127.0.0.1");
    for (const char* peer : {"", "unknown", "127.0.0.1:4242", "[::1]", " 127.0.0.1"}) {
        EXPECT_EQ(Client(peer, std::nullopt, trusted), "<invalid>") << peer;
        EXPECT_EQ(Client(peer, "203.0.113.1", trusted), "<invalid>") << peer;
    }
}

TEST(ClientAddressTest, RejectsAnInvalidHopThatIsWalked) {
    const TrustedProxies trusted = Trusting("127.0.0.1 10.0.0.0/8");
    for (const char* forwardedFor : {"", "unknown", "203.0.113.1:5555", "203.0.113.1,,10.0.0.1",
                                     "203.0.113.1, 10.0.0.1,", "\"203.0.113.1\""}) {
        EXPECT_EQ(Client("127.0.0.1", forwardedFor, trusted), "<invalid>") << forwardedFor;
    }
}

TEST(ClientAddressTest, BelievesNoneOfSeveralForwardedForValuesFromATrustedPeer) {
    const TrustedProxies trusted = Trusting("127.0.0.1");
    const auto select = [&](std::string_view peer, std::vector<std::string_view> values) {
        const auto client = SelectClientAddress(peer, values, trusted);
        return client ? client->Text() : "<invalid>";
    };
    EXPECT_EQ(select("127.0.0.1", {"6.6.6.6", "203.0.113.1"}), "<invalid>");
    EXPECT_EQ(select("127.0.0.1", {"203.0.113.1", "203.0.113.1"}), "<invalid>");
    EXPECT_EQ(select("127.0.0.1", {"203.0.113.1"}), "203.0.113.1");
    EXPECT_EQ(select("127.0.0.1", {}), "127.0.0.1");
    EXPECT_EQ(select("198.51.100.7", {"6.6.6.6", "203.0.113.1"}), "198.51.100.7");
    EXPECT_EQ(select("bogus", {"6.6.6.6", "203.0.113.1"}), "<invalid>");
}

}  // namespace
}  // namespace ipx
