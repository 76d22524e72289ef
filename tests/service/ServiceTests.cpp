#include "Service.h"

#include "FakeResolver.h"
#include "Response.h"

#include <gtest/gtest.h>

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
        return Service(*TrustedProxies::Parse(trusted), resolver_, std::nullopt);
    }

    Service Cached() {
        return Service(TrustedProxies{}, resolver_, AnswerCache(16, 60s, [this] { return now_; }));
    }

    static Request Get(std::string_view remoteAddr) { return Request{"GET", remoteAddr, {}}; }

    FakeResolver resolver_;
    std::chrono::steady_clock::time_point now_{};
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
    const Request proxied{"GET", "127.0.0.1", "192.0.2.10"};
    EXPECT_EQ(Uncached().Respond(proxied),
              AnswerResponse("127.0.0.1", "127.0.0.1", BodyWanted::Yes));
    EXPECT_EQ(Uncached("127.0.0.1").Respond(proxied),
              AnswerResponse("192.0.2.10", "good.example.net", BodyWanted::Yes));
    EXPECT_EQ(Uncached("127.0.0.1").Respond(Request{"GET", "127.0.0.1", "bogus"}),
              ServerErrorResponse(BodyWanted::Yes));
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

}  // namespace
}  // namespace ipx
