// Lookups over https, with Windows' own certificate checks, against the reply server's
// https listeners: one whose certificate the test prefix trusts, and one for each way the
// checks fail.

#include <gtest/gtest.h>

#include <string>

#include "RealLookup.h"
#include "WinTestSupport.h"

namespace kestrin::test {
namespace {

// A download that is abandoned at the deadline ends this much after it, at most.
constexpr DWORD kMarginMs = 1000;
// Redirects a download follows before it counts as failed.
constexpr int kRedirectLimit = 5;

class TlsLookup : public RealLookup {
protected:
    void RunCycleOver(int portOffset, const std::wstring& path) {
        RunCycle(TlsServerUrl(portOffset, path), temp_.path());
    }
    // How long a cycle took, in milliseconds.
    DWORD TimedCycleOver(int portOffset, const std::wstring& path) {
        const ULONGLONG start = GetTickCount64();
        RunCycleOver(portOffset, path);
        return static_cast<DWORD>(GetTickCount64() - start);
    }
};

TEST_F(TlsLookup, ACertificateThatPassesEveryCheckShowsTheReply) {
    RunCycleOver(kGoodTlsPortOffset, L"/reply/two");
    EXPECT_TRUE(ShowsAfter("two"));
    EXPECT_TRUE(temp_.IsEmpty());
}

TEST_F(TlsLookup, AnUnknownRootAWrongHostOrAnExpiredCertificateKeepsTheLastAnswers) {
    for (const auto& [name, offset] : {std::pair{"unknown root", kUnknownCaTlsPortOffset},
                                       std::pair{"wrong host", kWrongHostTlsPortOffset},
                                       std::pair{"expired", kExpiredTlsPortOffset}}) {
        RunCycleOver(offset, L"/reply/two");
        EXPECT_TRUE(KeptTheLastAnswers()) << name;
        EXPECT_TRUE(temp_.IsEmpty()) << name;
    }
}

TEST_F(TlsLookup, PlainHttpAnsweringOnTheHttpsUrlIsAFailedDownload) {
    RunCycle(L"https://localhost:" + std::to_wstring(KESTRIN_TEST_PORT) + L"/reply/two",
             temp_.path());
    EXPECT_TRUE(KeptTheLastAnswers());
    EXPECT_TRUE(temp_.IsEmpty());
}

TEST_F(TlsLookup, RedirectsToHttpsAreFollowed) {
    RunCycleOver(kGoodTlsPortOffset, L"/redirect/https/reply/two");
    EXPECT_TRUE(ShowsAfter("two"));
    RunCycleOver(kGoodTlsPortOffset, L"/redirect/relative/reply/three");
    EXPECT_TRUE(ShowsAfter("three"));
}

TEST_F(TlsLookup, ARedirectToPlainHttpFailsAndNothingReachesThePlainPort) {
    const int plainBefore = RequestsOn(L"plain");
    RunCycleOver(kGoodTlsPortOffset, L"/redirect/http/reply/two");
    EXPECT_TRUE(KeptTheLastAnswers());
    EXPECT_TRUE(temp_.IsEmpty());
    EXPECT_EQ(RequestsOn(L"plain"), plainBefore);
}

TEST_F(TlsLookup, AnHttpsHopAfterAPlainOneBindsTheRestToHttps) {
    RunCycle(ServerUrl(L"/redirect/https/redirect/http/reply/two"), temp_.path());
    EXPECT_TRUE(KeptTheLastAnswers());
}

// Builds a path that redirects `hops` times before it reaches the reply.
std::wstring RedirectedPath(int hops, const std::wstring& reply) {
    std::wstring path;
    for (int i = 0; i < hops; ++i) path += L"/redirect/relative";
    return path + L"/reply/" + reply;
}

TEST_F(TlsLookup, RedirectsAreFollowedUpToTheLimitAndNoFurther) {
    RunCycleOver(kGoodTlsPortOffset, RedirectedPath(kRedirectLimit + 1, L"two"));
    EXPECT_TRUE(KeptTheLastAnswers());
    RunCycleOver(kGoodTlsPortOffset, RedirectedPath(kRedirectLimit, L"two"));
    EXPECT_TRUE(ShowsAfter("two"));
}

TEST_F(TlsLookup, AHandshakeThatNeverCompletesEndsAtTheDeadline) {
    const DWORD took = TimedCycleOver(kSilentTlsPortOffset, L"/reply/two");
    EXPECT_LE(took, kDownloadDeadlineMs + kMarginMs);
    EXPECT_TRUE(KeptTheLastAnswers());
    EXPECT_TRUE(temp_.IsEmpty());
}

TEST_F(TlsLookup, AServerThatStallsAfterTheHandshakeEndsAtTheDeadline) {
    for (const wchar_t* stall : {L"/reply/hang", L"/reply/stall", L"/reply/trickle"}) {
        const DWORD took = TimedCycleOver(kGoodTlsPortOffset, stall);
        EXPECT_LE(took, kDownloadDeadlineMs + kMarginMs) << stall;
        EXPECT_TRUE(KeptTheLastAnswers()) << stall;
        EXPECT_TRUE(temp_.IsEmpty()) << stall;
    }
}

// From plain http a redirect may go either way, as it always could.
TEST_F(RealLookup, RedirectsOfAPlainUrlAreFollowedToEitherScheme) {
    RunCycle(ServerUrl(L"/redirect/http/reply/two"), temp_.path());
    EXPECT_TRUE(ShowsAfter("two"));
    RunCycle(ServerUrl(L"/redirect/https/reply/three"), temp_.path());
    EXPECT_TRUE(ShowsAfter("three"));
}

}  // namespace
}  // namespace kestrin::test
