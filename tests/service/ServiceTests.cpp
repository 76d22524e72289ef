#include "Service.h"

#include "FakeResolver.h"
#include "Response.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

namespace ipx {
namespace {

using namespace std::chrono_literals;
using test::FakeResolver;

class ServiceTest : public testing::Test {
protected:
    ServiceTest() {
        resolver_.reverse["192.0.2.10"] = "good.example.net";
        resolver_.forward["good.example.net"] = {"192.0.2.10"};
    }

    Service Uncached(std::string_view trusted = "") {
        return Service(*TrustedProxies::Parse(trusted), resolver_, nullptr);
    }

    Service Cached() { return Service(TrustedProxies{}, resolver_, &memory_); }

    static Request Get(std::string_view remoteAddr) { return Request{"GET", remoteAddr, {}}; }

    FakeResolver resolver_;
    std::chrono::steady_clock::time_point now_{};
    Clock clock_ = [this] { return now_; };
    ServiceMemory memory_{AnswerCache(16, 60s, clock_),
                          AnswerCache(16, 3600s, clock_, WhenFull::KeepOld),
                          LookupGate(LookupLimits{2, 3, 3, 3, 3, 3}, GateTimes{60s, 600s, 450ms},
                                     clock_),
                          {}};
};

TEST_F(ServiceTest, AnswersGetWithAddressAndConfirmedName) {
    Service service = Uncached();
    EXPECT_EQ(service.Respond(Get("192.0.2.10")),
              AnswerResponse("192.0.2.10", "good.example.net", BodyWanted::Yes));
    EXPECT_EQ(service.Respond(Get("::ffff:192.0.2.11")),
              AnswerResponse("192.0.2.11", "192.0.2.11", BodyWanted::Yes));
}

TEST_F(ServiceTest, AnswersHeadWithoutBody) {
    Service service = Uncached();
    EXPECT_EQ(service.Respond(Request{"HEAD", "192.0.2.10", {}}),
              AnswerResponse("192.0.2.10", "good.example.net", BodyWanted::No));
}

TEST_F(ServiceTest, RefusesOtherMethods) {
    Service service = Uncached();
    for (const char* method : {"POST", "PUT", "DELETE", "OPTIONS", "get", "GET ", ""}) {
        EXPECT_EQ(service.Respond(Request{method, "192.0.2.10", {}}),
                  MethodNotAllowedResponse(BodyWanted::Yes))
            << method;
    }
    EXPECT_EQ(service.Respond(Request{std::nullopt, "192.0.2.10", {}}),
              MethodNotAllowedResponse(BodyWanted::Yes));
    EXPECT_EQ(resolver_.reverseQueries, 0);
}

TEST_F(ServiceTest, AnswersServerErrorForAnInvalidOrMissingPeer) {
    Service service = Uncached();
    EXPECT_EQ(service.Respond(Get("not-an-address")), ServerErrorResponse(BodyWanted::Yes));
    EXPECT_EQ(service.Respond(Request{"GET", std::nullopt, {}}),
              ServerErrorResponse(BodyWanted::Yes));
    EXPECT_EQ(service.Respond(Request{"HEAD", "1.2.3.4:5", {}}),
              ServerErrorResponse(BodyWanted::No));
    EXPECT_EQ(resolver_.reverseQueries, 0);
}

TEST_F(ServiceTest, IgnoresForwardedForUnlessThePeerIsTrusted) {
    const Request proxied{"GET", "127.0.0.1", {"192.0.2.10"}};
    EXPECT_EQ(Uncached().Respond(proxied),
              AnswerResponse("127.0.0.1", "127.0.0.1", BodyWanted::Yes));
    EXPECT_EQ(Uncached("127.0.0.1").Respond(proxied),
              AnswerResponse("192.0.2.10", "good.example.net", BodyWanted::Yes));
    EXPECT_EQ(Uncached("127.0.0.1").Respond(Request{"GET", "127.0.0.1", {"bogus"}}),
              ServerErrorResponse(BodyWanted::Yes));
}

TEST_F(ServiceTest, BelievesNoneOfSeveralForwardedForValuesFromATrustedPeer) {
    // lighttpd passes X_Forwarded_For: 6.6.6.6 as a second HTTP_X_FORWARDED_FOR.
    const Request aliased{"GET", "127.0.0.1", {"6.6.6.6", "192.0.2.10"}};
    EXPECT_EQ(Uncached("127.0.0.1").Respond(aliased), ServerErrorResponse(BodyWanted::Yes));
    EXPECT_EQ(Uncached().Respond(aliased),
              AnswerResponse("127.0.0.1", "127.0.0.1", BodyWanted::Yes));
    EXPECT_EQ(resolver_.reverseQueries, 1);
}

TEST_F(ServiceTest, WithoutACacheAsksDnsEveryTime) {
    Service service = Uncached();
    service.Respond(Get("192.0.2.10"));
    service.Respond(Get("192.0.2.10"));
    EXPECT_EQ(resolver_.reverseQueries, 2);
}

TEST_F(ServiceTest, WithACacheAsksDnsOncePerAddressAndLifetime) {
    Service service = Cached();
    const std::string expected = AnswerResponse("192.0.2.10", "good.example.net", BodyWanted::Yes);
    EXPECT_EQ(service.Respond(Get("192.0.2.10")), expected);
    EXPECT_EQ(service.Respond(Get("::ffff:192.0.2.10")), expected);
    EXPECT_EQ(resolver_.reverseQueries, 1);
    service.Respond(Get("192.0.2.11"));
    service.Respond(Get("192.0.2.11"));
    EXPECT_EQ(resolver_.reverseQueries, 2);
    now_ += 60s;
    EXPECT_EQ(service.Respond(Get("192.0.2.10")), expected);
    EXPECT_EQ(resolver_.reverseQueries, 3);
}

TEST_F(ServiceTest, AnswersANetworkWhereSeveralLookupsRanOutOfTimeWithoutDnsForAWhile) {
    const std::vector<std::string> slow{"198.51.100.1", "198.51.100.2", "198.51.100.3",
                                        "2001:db8:5:6::1", "2001:db8:5:6::2", "2001:db8:5:6::3"};
    resolver_.silent.insert(slow.begin(), slow.end());
    Service service = Cached();
    for (const std::string& caller : slow) {
        EXPECT_EQ(service.Respond(Get(caller)), AnswerResponse(caller, caller, BodyWanted::Yes));
    }
    EXPECT_EQ(resolver_.reverseQueries, 6);
    // Neighbours in the same /24 and /64 cost no lookup; other networks still do.
    for (const char* neighbour : {"198.51.100.254", "2001:db8:5:6:ffff::9"}) {
        EXPECT_EQ(service.Respond(Get(neighbour)),
                  AnswerResponse(neighbour, neighbour, BodyWanted::Yes));
    }
    EXPECT_EQ(resolver_.reverseQueries, 6);
    service.Respond(Get("198.51.101.1"));
    service.Respond(Get("2001:db8:5:7::1"));
    EXPECT_EQ(resolver_.reverseQueries, 8);
    now_ += 60s;
    service.Respond(Get("198.51.100.254"));
    EXPECT_EQ(resolver_.reverseQueries, 9);
}

TEST_F(ServiceTest, AnswersWithoutDnsOnceTheLimitOfLookupsAtOnceIsReached) {
    // Who asks while whose lookup runs; the limits are 2 at once per network, 3 in all.
    const std::map<std::string, std::vector<std::string>> askWhileRunning{
        {"192.0.2.10", {"192.0.2.20"}},
        {"192.0.2.20", {"192.0.2.30", "203.0.113.1"}},
        {"203.0.113.1", {"203.0.113.2"}}};
    Service service = Cached();
    std::map<std::string, std::string> answers;
    resolver_.duringReverse = [&](const Address& running) {
        const auto found = askWhileRunning.find(running.Text());
        if (found != askWhileRunning.end()) {
            for (const std::string& caller : found->second) {
                answers[caller] = service.Respond(Get(caller));
            }
        }
    };
    answers["192.0.2.10"] = service.Respond(Get("192.0.2.10"));
    EXPECT_EQ(resolver_.reverseQueries, 3);
    EXPECT_EQ(answers["192.0.2.10"],
              AnswerResponse("192.0.2.10", "good.example.net", BodyWanted::Yes));
    for (const char* turnedAway : {"192.0.2.30", "203.0.113.2"}) {
        EXPECT_EQ(answers[turnedAway], AnswerResponse(turnedAway, turnedAway, BodyWanted::Yes));
    }
    // An answer given without DNS is not kept, and the lookups that ended made room.
    service.Respond(Get("192.0.2.30"));
    service.Respond(Get("203.0.113.2"));
    EXPECT_EQ(resolver_.reverseQueries, 5);
}

TEST_F(ServiceTest, GivesTheLastConfirmedNameWhenDnsCannotAnswerButNotPastItsHour) {
    resolver_.reverse["198.51.100.11"] = "moved.example.net";
    resolver_.forward["moved.example.net"] = {"198.51.100.11"};
    Service service = Cached();
    const auto named = [](const char* caller, const char* name) {
        return AnswerResponse(caller, name, BodyWanted::Yes);
    };
    EXPECT_EQ(service.Respond(Get("192.0.2.10")), named("192.0.2.10", "good.example.net"));
    EXPECT_EQ(service.Respond(Get("198.51.100.11")), named("198.51.100.11", "moved.example.net"));
    now_ += 60s;
    resolver_.silent = {"192.0.2.10", "192.0.2.1", "192.0.2.2"};
    resolver_.forward["moved.example.net"] = {"198.51.100.99"};
    // A time-out gives the last name; an answer that no longer confirms it ends it.
    EXPECT_EQ(service.Respond(Get("192.0.2.10")), named("192.0.2.10", "good.example.net"));
    EXPECT_EQ(service.Respond(Get("198.51.100.11")), named("198.51.100.11", "198.51.100.11"));
    now_ += 30s;
    service.Respond(Get("192.0.2.1"));
    service.Respond(Get("192.0.2.2"));
    now_ += 30s;
    resolver_.silent.insert("198.51.100.11");
    const int asked = resolver_.reverseQueries;
    // The network is now answered without DNS, and the name is still given.
    EXPECT_EQ(service.Respond(Get("192.0.2.10")), named("192.0.2.10", "good.example.net"));
    EXPECT_EQ(resolver_.reverseQueries, asked);
    EXPECT_EQ(service.Respond(Get("198.51.100.11")), named("198.51.100.11", "198.51.100.11"));
    now_ = std::chrono::steady_clock::time_point{} + 3600s;
    EXPECT_EQ(service.Respond(Get("192.0.2.10")), named("192.0.2.10", "192.0.2.10"));
}

TEST_F(ServiceTest, GivesNetworksWithoutTrustHalfTheDnsBudget) {
    Service service = Cached();
    service.Respond(Get("192.0.2.10"));  // new: the network answered fast, so trusted after
    service.Respond(Get("192.0.2.12"));
    ASSERT_EQ(resolver_.deadlines.size(), 3U);
    EXPECT_GE(resolver_.deadlines[2] - resolver_.deadlines[0], kDnsBudget / 2);
}

}  // namespace
}  // namespace ipx
