#include "SlowNetworks.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string_view>

namespace ipx {
namespace {

using namespace std::chrono_literals;

Address At(std::string_view text) {
    return *Address::Parse(text);
}

class SlowNetworksTest : public testing::Test {
protected:
    void TimeOut(std::initializer_list<const char*> callers) {
        for (const char* caller : callers) {
            networks_.NoteTimeOut(At(caller));
        }
    }

    std::chrono::steady_clock::time_point now_{};
    SlowNetworks networks_{16, 60s, [this] { return now_; }};
};

TEST_F(SlowNetworksTest, ANetworkIsSlowOnlyOnceThreeOfItsAddressesTimedOut) {
    // One neighbour whose zone never answers, however often it asks, hides no one.
    TimeOut({"192.0.2.1", "192.0.2.1", "192.0.2.1", "2001:db8::1", "2001:db8::1"});
    EXPECT_FALSE(networks_.IsSlow(At("192.0.2.9")));
    TimeOut({"192.0.2.2", "2001:db8::2"});
    EXPECT_FALSE(networks_.IsSlow(At("192.0.2.9")));
    EXPECT_FALSE(networks_.IsSlow(At("2001:db8::9")));
    TimeOut({"192.0.2.3", "2001:db8::3"});
    EXPECT_TRUE(networks_.IsSlow(At("192.0.2.9")));
    EXPECT_TRUE(networks_.IsSlow(At("2001:db8::9")));
    EXPECT_FALSE(networks_.IsSlow(At("192.0.3.1")));
    EXPECT_FALSE(networks_.IsSlow(At("2001:db8:0:1::1")));
}

}  // namespace
}  // namespace ipx
