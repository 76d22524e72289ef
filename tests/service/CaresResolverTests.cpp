// Asks a real DNS server: run through with-test-dns.sh, which serves the records these
// cases expect and names the server in IPX_TEST_DNS_SERVER.

#include "CaresResolver.h"
#include "ConfirmedHostName.h"
#include "LoopbackUdp.h"

#include <gtest/gtest.h>

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

std::string HostLine(CaresResolver& resolver, std::string_view address,
                     std::chrono::milliseconds budget = 1800ms) {
    return ConfirmedHostNameOrAddress(*Address::Parse(address), resolver, budget);
}

Deadline Soon() {
    return std::chrono::steady_clock::now() + 1800ms;
}

class TestDnsTest : public testing::Test {
protected:
    CaresResolver resolver_{TestDnsServer()};
};

TEST_F(TestDnsTest, ReadsPtrRecords) {
    EXPECT_EQ(resolver_.ReverseName(*Address::Parse("192.0.2.10"), Soon()), "good.kestrin.test");
    EXPECT_EQ(resolver_.ReverseName(*Address::Parse("2001:db8::10"), Soon()), "six.kestrin.test");
    EXPECT_EQ(resolver_.ReverseName(*Address::Parse("192.0.2.11"), Soon()), "liar.kestrin.test");
    EXPECT_FALSE(resolver_.ReverseName(*Address::Parse("192.0.2.12"), Soon()).has_value());
}

TEST_F(TestDnsTest, ReadsAddressRecordsOfBothFamilies) {
    const std::vector<Address> loopback = resolver_.ForwardAddresses("loopback.kestrin.test", Soon());
    EXPECT_EQ(loopback.size(), 2U);
    EXPECT_NE(std::ranges::find(loopback, *Address::Parse("127.0.0.1")), loopback.end());
    EXPECT_NE(std::ranges::find(loopback, *Address::Parse("::1")), loopback.end());
    EXPECT_TRUE(resolver_.ForwardAddresses("missing.kestrin.test", Soon()).empty());
}

TEST_F(TestDnsTest, DoesNotAddSearchDomains) {
    EXPECT_TRUE(resolver_.ForwardAddresses("good", Soon()).empty());
}

TEST_F(TestDnsTest, ShowsAPtrThatConfirms) {
    EXPECT_EQ(HostLine(resolver_, "192.0.2.10"), "good.kestrin.test");
    EXPECT_EQ(HostLine(resolver_, "::ffff:192.0.2.10"), "good.kestrin.test");
    EXPECT_EQ(HostLine(resolver_, "2001:db8::10"), "six.kestrin.test");
    EXPECT_EQ(HostLine(resolver_, "::1"), "loopback.kestrin.test");
}

TEST_F(TestDnsTest, ShowsTheAddressForAPtrThatDoesNotConfirm) {
    EXPECT_EQ(HostLine(resolver_, "192.0.2.11"), "192.0.2.11");
}

TEST_F(TestDnsTest, ShowsTheAddressWithoutAPtr) {
    EXPECT_EQ(HostLine(resolver_, "192.0.2.12"), "192.0.2.12");
    EXPECT_EQ(HostLine(resolver_, "2001:db8::12"), "2001:db8::12");
}

TEST_F(TestDnsTest, ShowsTheAddressForAMalformedPtr) {
    EXPECT_EQ(HostLine(resolver_, "192.0.2.13"), "192.0.2.13");
}

TEST(SlowDnsTest, GivesUpAtTheDeadlineOnASlowServer) {
    // The relay answers after a second: a lookup that waited past its deadline would
    // still get the confirmed name, so the address shows the deadline was kept.
    const test::DelayingDnsRelay slow(TestDnsPort(), 1000ms);
    CaresResolver resolver(slow.Endpoint());
    EXPECT_EQ(HostLine(resolver, "192.0.2.10", 300ms), "192.0.2.10");
    EXPECT_EQ(HostLine(resolver, "192.0.2.10", 6000ms), "good.kestrin.test");
}

TEST(SlowDnsTest, GivesUpOnAServerThatNeverAnswers) {
    const test::UdpSocket silent;
    CaresResolver resolver(silent.Endpoint());
    EXPECT_EQ(HostLine(resolver, "192.0.2.10", 300ms), "192.0.2.10");
    EXPECT_EQ(HostLine(resolver, "2001:db8::10", 300ms), "2001:db8::10");
}

TEST(SlowDnsTest, GivesUpOnAServerThatIsNotThere) {
    std::string closed;
    {
        const test::UdpSocket released;
        closed = released.Endpoint();
    }
    CaresResolver resolver(closed);
    EXPECT_EQ(HostLine(resolver, "192.0.2.10"), "192.0.2.10");
}

TEST(CaresResolverTest, RefusesAnUnusableServerSetting) {
    EXPECT_THROW(CaresResolver("not a server"), std::runtime_error);
    EXPECT_THROW(CaresResolver("127.0.0.1:port"), std::runtime_error);
}

}  // namespace
}  // namespace ipx
