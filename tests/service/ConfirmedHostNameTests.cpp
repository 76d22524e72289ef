#include "ConfirmedHostName.h"

#include "FakeResolver.h"

#include <gtest/gtest.h>

namespace ipx {
namespace {

using test::FakeResolver;

constexpr std::chrono::milliseconds kBudget{1800};

std::string HostLineText(std::string_view address, FakeResolver& resolver) {
    return ConfirmedHostNameOrAddress(*Address::Parse(address), resolver, kBudget).text;
}

TEST(ConfirmedHostNameTest, KeepsANameThatResolvesBackToTheAddress) {
    FakeResolver resolver;
    resolver.reverse["192.0.2.10"] = "good.example.net.";
    resolver.forward["good.example.net"] = {"198.51.100.1", "192.0.2.10", "2001:db8::10"};
    EXPECT_EQ(HostLineText("192.0.2.10", resolver), "good.example.net");
    EXPECT_EQ(resolver.forwardQueries, std::vector<std::string>{"good.example.net"});
}

TEST(ConfirmedHostNameTest, ConfirmsIpv6AndMappedAddresses) {
    FakeResolver resolver;
    resolver.reverse["2001:db8::10"] = "six.example.net";
    resolver.forward["six.example.net"] = {"2001:DB8:0::10"};
    resolver.reverse["192.0.2.10"] = "four.example.net";
    resolver.forward["four.example.net"] = {"::ffff:192.0.2.10"};
    EXPECT_EQ(HostLineText("2001:db8::10", resolver), "six.example.net");
    EXPECT_EQ(HostLineText("::ffff:192.0.2.10", resolver), "four.example.net");
}

TEST(ConfirmedHostNameTest, FallsBackToTheAddressWhenThePtrDoesNotConfirm) {
    FakeResolver resolver;
    resolver.reverse["192.0.2.11"] = "liar.example.net";
    resolver.forward["liar.example.net"] = {"192.0.2.99", "2001:db8::11"};
    EXPECT_EQ(HostLineText("192.0.2.11", resolver), "192.0.2.11");
}

TEST(ConfirmedHostNameTest, FallsBackToTheAddressWhenTheNameHasNoAddresses) {
    FakeResolver resolver;
    resolver.reverse["2001:db8::12"] = "gone.example.net";
    EXPECT_EQ(HostLineText("2001:db8::12", resolver), "2001:db8::12");
}

TEST(ConfirmedHostNameTest, FallsBackToTheAddressWithoutAPtr) {
    FakeResolver resolver;
    EXPECT_EQ(HostLineText("192.0.2.12", resolver), "192.0.2.12");
    EXPECT_TRUE(resolver.forwardQueries.empty());
}

TEST(ConfirmedHostNameTest, NeverLooksUpOrShowsAMalformedPtr) {
    FakeResolver resolver;
    const std::string overlong = std::string(250, 'a') + ".net";
    for (const std::string& name : {std::string("bad_name.example.net"),
                                    std::string("evil\r\nX-Injected: 1"), overlong}) {
        resolver.reverse["192.0.2.13"] = name;
        resolver.forward[name] = {"192.0.2.13"};
        EXPECT_EQ(HostLineText("192.0.2.13", resolver), "192.0.2.13") << name;
    }
    EXPECT_TRUE(resolver.forwardQueries.empty());
}

TEST(ConfirmedHostNameTest, GivesBothLookupsOneDeadline) {
    FakeResolver resolver;
    resolver.reverse["192.0.2.10"] = "good.example.net";
    resolver.forward["good.example.net"] = {"192.0.2.10"};
    const auto before = std::chrono::steady_clock::now();
    HostLineText("192.0.2.10", resolver);
    const auto after = std::chrono::steady_clock::now();
    ASSERT_EQ(resolver.deadlines.size(), 2U);
    EXPECT_EQ(resolver.deadlines[0], resolver.deadlines[1]);
    EXPECT_GE(resolver.deadlines[0], before + kBudget);
    EXPECT_LE(resolver.deadlines[0], after + kBudget);
}

TEST(ConfirmedHostNameTest, SaysWhenEitherLookupRanOutOfTime) {
    FakeResolver resolver;
    resolver.reverse["192.0.2.20"] = "slow-forward.example.net";
    resolver.silent = {"192.0.2.21", "slow-forward.example.net"};
    resolver.reverse["192.0.2.10"] = "good.example.net";
    resolver.forward["good.example.net"] = {"192.0.2.10"};
    resolver.reverse["192.0.2.11"] = "liar.example.net";
    for (const char* slow : {"192.0.2.20", "192.0.2.21"}) {
        const HostLine line = ConfirmedHostNameOrAddress(*Address::Parse(slow), resolver, kBudget);
        EXPECT_EQ(line.text, slow);
        EXPECT_TRUE(line.dnsTimedOut) << slow;
    }
    for (const char* answered : {"192.0.2.10", "192.0.2.11", "192.0.2.12"}) {
        EXPECT_FALSE(ConfirmedHostNameOrAddress(*Address::Parse(answered), resolver, kBudget)
                         .dnsTimedOut)
            << answered;
    }
}

}  // namespace
}  // namespace ipx
