// Asks a real DNS server: run through with-test-dns.sh, which serves the records these
// cases expect and names the server in IPX_TEST_DNS_SERVER.

#include "CaresResolver.h"
#include "ConfirmedHostName.h"
#include "LoopbackUdp.h"

#include <gtest/gtest.h>

#include <stdlib.h>

#include <algorithm>
#include <cstdlib>
#include <stdexcept>

namespace ipx {
namespace {

using namespace std::chrono_literals;

std::string TestDnsServer() {
    const char* server = std::getenv("IPX_TEST_DNS_SERVER");
    if (server == nullptr) {
        throw std::runtime_error("IPX_TEST_DNS_SERVER is not set; run through with-test-dns.sh");
    }
    return server;
}

std::uint16_t TestDnsPort() {
    const std::string server = TestDnsServer();
    return static_cast<std::uint16_t>(std::stoul(server.substr(server.rfind(':') + 1)));
}

HostLine LineFor(CaresResolver& resolver, std::string_view address,
                 std::chrono::milliseconds budget = 1800ms) {
    return ConfirmedHostNameOrAddress(*Address::Parse(address), resolver, budget);
}

std::string HostLineText(CaresResolver& resolver, std::string_view address,
                         std::chrono::milliseconds budget = 1800ms) {
    return LineFor(resolver, address, budget).text;
}

Deadline Soon() {
    return std::chrono::steady_clock::now() + 1800ms;
}

class TestDnsTest : public testing::Test {
protected:
    CaresResolver resolver_{TestDnsServer()};
};

TEST_F(TestDnsTest, ReadsPtrRecords) {
    EXPECT_EQ(resolver_.ReverseName(*Address::Parse("192.0.2.10"), Soon()).name,
              "good.kestrin.test");
    EXPECT_EQ(resolver_.ReverseName(*Address::Parse("2001:db8::10"), Soon()).name,
              "six.kestrin.test");
    EXPECT_EQ(resolver_.ReverseName(*Address::Parse("192.0.2.11"), Soon()).name,
              "liar.kestrin.test");
    const ReverseAnswer none = resolver_.ReverseName(*Address::Parse("192.0.2.12"), Soon());
    EXPECT_FALSE(none.name.has_value());
    EXPECT_FALSE(none.timedOut);
}

TEST_F(TestDnsTest, ReadsAddressRecordsOfBothFamilies) {
    const std::vector<Address> loopback =
        resolver_.ForwardAddresses("loopback.kestrin.test", Soon()).addresses;
    EXPECT_EQ(loopback.size(), 2U);
    EXPECT_NE(std::ranges::find(loopback, *Address::Parse("127.0.0.1")), loopback.end());
    EXPECT_NE(std::ranges::find(loopback, *Address::Parse("::1")), loopback.end());
    const ForwardAnswer missing = resolver_.ForwardAddresses("missing.kestrin.test", Soon());
    EXPECT_TRUE(missing.addresses.empty());
    EXPECT_FALSE(missing.timedOut);
}

TEST(SearchDomainTest, DoesNotAddTheSearchDomainTheSystemGives) {
    // LOCALDOMAIN is the resolver configuration's search list, read when a channel starts:
    // with it, a resolver that searched would find good.kestrin.test for "good".
    ASSERT_EQ(setenv("LOCALDOMAIN", "kestrin.test", 1), 0);
    CaresResolver resolver(TestDnsServer());
    unsetenv("LOCALDOMAIN");
    EXPECT_TRUE(resolver.ForwardAddresses("good", Soon()).addresses.empty());
    EXPECT_FALSE(resolver.ForwardAddresses("good.kestrin.test", Soon()).addresses.empty());
}

TEST_F(TestDnsTest, ShowsAPtrThatConfirms) {
    EXPECT_EQ(HostLineText(resolver_, "192.0.2.10"), "good.kestrin.test");
    EXPECT_EQ(HostLineText(resolver_, "::ffff:192.0.2.10"), "good.kestrin.test");
    EXPECT_EQ(HostLineText(resolver_, "2001:db8::10"), "six.kestrin.test");
    EXPECT_EQ(HostLineText(resolver_, "::1"), "loopback.kestrin.test");
}

TEST_F(TestDnsTest, ShowsTheAddressForAPtrThatDoesNotConfirm) {
    EXPECT_EQ(HostLineText(resolver_, "192.0.2.11"), "192.0.2.11");
}

TEST_F(TestDnsTest, ShowsTheAddressWithoutAPtr) {
    EXPECT_EQ(HostLineText(resolver_, "192.0.2.12"), "192.0.2.12");
    EXPECT_EQ(HostLineText(resolver_, "2001:db8::12"), "2001:db8::12");
}

TEST_F(TestDnsTest, ShowsTheAddressForAMalformedPtr) {
    EXPECT_EQ(HostLineText(resolver_, "192.0.2.13"), "192.0.2.13");
}

TEST(SlowDnsTest, GivesUpAtTheDeadlineOnASlowServer) {
    // The relay answers after a second: a lookup that waited past its deadline would
    // still get the confirmed name, so the address shows the deadline was kept.
    const test::DelayingDnsRelay slow(TestDnsPort(), 1000ms);
    CaresResolver resolver(slow.Endpoint());
    const HostLine cut = LineFor(resolver, "192.0.2.10", 300ms);
    EXPECT_EQ(cut.text, "192.0.2.10");
    EXPECT_TRUE(cut.dnsTimedOut);
    const HostLine waited = LineFor(resolver, "192.0.2.10", 6000ms);
    EXPECT_EQ(waited.text, "good.kestrin.test");
    EXPECT_FALSE(waited.dnsTimedOut);
}

TEST(SlowDnsTest, GivesUpOnAServerThatNeverAnswers) {
    const test::UdpSocket silent;
    CaresResolver resolver(silent.Endpoint());
    for (const char* address : {"192.0.2.10", "2001:db8::10"}) {
        const HostLine line = LineFor(resolver, address, 300ms);
        EXPECT_EQ(line.text, address);
        EXPECT_TRUE(line.dnsTimedOut) << address;
    }
    // c-ares gives up on its own after its tries (600 ms, then 1,200 ms), before a long
    // deadline and within the two seconds a caller may wait.
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(resolver.ReverseName(*Address::Parse("192.0.2.10"), start + 10s).timedOut);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
}

TEST(SlowDnsTest, FindsTheNameOnARetryWhenAQueryIsLost) {
    // One lost packet: c-ares asks again after its first try, well within the budget, and
    // an answer that came on a retry is no time-out.
    const test::DelayingDnsRelay lossy(TestDnsPort(), 0ms, 1);
    CaresResolver resolver(lossy.Endpoint());
    const HostLine line = LineFor(resolver, "192.0.2.10");
    EXPECT_EQ(line.text, "good.kestrin.test");
    EXPECT_FALSE(line.dnsTimedOut);
}

TEST(SlowDnsTest, GivesUpOnAServerThatIsNotThere) {
    std::string closed;
    {
        const test::UdpSocket released;
        closed = released.Endpoint();
    }
    CaresResolver resolver(closed);
    const HostLine line = LineFor(resolver, "192.0.2.10");
    EXPECT_EQ(line.text, "192.0.2.10");
    EXPECT_FALSE(line.dnsTimedOut);
}

TEST(CaresResolverTest, RefusesAnUnusableServerSetting) {
    EXPECT_THROW(CaresResolver("not a server"), std::runtime_error);
    EXPECT_THROW(CaresResolver("127.0.0.1:port"), std::runtime_error);
}

}  // namespace
}  // namespace ipx
