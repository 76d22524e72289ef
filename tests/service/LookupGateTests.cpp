#include "LookupGate.h"
#include "NetworkPrefix.h"

#include <gtest/gtest.h>

#include <list>
#include <stdexcept>

namespace ipx {
namespace {

using namespace std::chrono_literals;

Address At(std::string_view text) {
    return *Address::Parse(text);
}

TEST(NetworkPrefixTest, GroupsIpv4By24AndIpv6By64) {
    EXPECT_EQ(NetworkPrefix(At("192.0.2.1")), NetworkPrefix(At("192.0.2.255")));
    EXPECT_EQ(NetworkPrefix(At("::ffff:192.0.2.1")), NetworkPrefix(At("192.0.2.9")));
    EXPECT_NE(NetworkPrefix(At("192.0.2.1")), NetworkPrefix(At("192.0.3.1")));
    EXPECT_NE(NetworkPrefix(At("192.0.2.1")), NetworkPrefix(At("193.0.2.1")));
    EXPECT_EQ(NetworkPrefix(At("2001:db8:1:2::1")), NetworkPrefix(At("2001:db8:1:2:ffff:ffff:ffff:ffff")));
    EXPECT_NE(NetworkPrefix(At("2001:db8:1:2::1")), NetworkPrefix(At("2001:db8:1:3::1")));
    EXPECT_NE(NetworkPrefix(At("2001:db8:1:2::1")), NetworkPrefix(At("2001:db9:1:2::1")));
    // The first bytes of an IPv6 address can spell an IPv4 /24; they stay apart.
    EXPECT_NE(NetworkPrefix(At("c000:200::")), NetworkPrefix(At("192.0.2.0")));
}

class LookupGateTest : public testing::Test {
protected:
    LookupGate MakeGate(LookupLimits limits) {
        return LookupGate(limits, 60s, [this] { return now_; });
    }

    std::chrono::steady_clock::time_point now_{};
};

TEST_F(LookupGateTest, BoundsLookupsAtOncePerNetworkAndInAll) {
    LookupGate gate = MakeGate(LookupLimits{2, 3});
    std::list<LookupGate::Pass> passes;
    passes.push_back(*gate.Enter(At("192.0.2.1")));
    passes.push_back(*gate.Enter(At("192.0.2.2")));
    EXPECT_FALSE(gate.Enter(At("192.0.2.3")).has_value());
    passes.push_back(*gate.Enter(At("2001:db8::1")));
    EXPECT_FALSE(gate.Enter(At("2001:db8::2")).has_value());
    EXPECT_FALSE(gate.Enter(At("198.51.100.1")).has_value());
    passes.pop_front();
    EXPECT_TRUE(gate.Enter(At("192.0.2.3")).has_value());
    EXPECT_TRUE(gate.Enter(At("198.51.100.1")).has_value());
    passes.clear();
    for (const char* caller : {"192.0.2.3", "192.0.2.4", "198.51.100.1"}) {
        passes.push_back(*gate.Enter(At(caller)));
    }
}

TEST_F(LookupGateTest, AMovedPassLeavesOnce) {
    LookupGate gate = MakeGate(LookupLimits{1, 1});
    {
        std::optional<LookupGate::Pass> first = gate.Enter(At("192.0.2.1"));
        LookupGate::Pass moved = std::move(*first);
        first.reset();
        EXPECT_FALSE(gate.Enter(At("198.51.100.1")).has_value());
    }
    EXPECT_TRUE(gate.Enter(At("198.51.100.1")).has_value());
}

TEST_F(LookupGateTest, KeepsASlowNetworkOutForItsMemoryOnly) {
    LookupGate gate = MakeGate(LookupLimits{2, 8});
    gate.Enter(At("192.0.2.1"))->MarkSlow();
    gate.Enter(At("2001:db8:0:1::1"))->MarkSlow();
    gate.Enter(At("198.51.100.1"));  // ends without being slow
    now_ += 59s;
    for (const char* kept : {"192.0.2.200", "2001:db8:0:1:ffff::1"}) {
        EXPECT_FALSE(gate.Enter(At(kept)).has_value()) << kept;
    }
    for (const char* other : {"192.0.3.1", "2001:db8:0:2::1", "198.51.100.1"}) {
        EXPECT_TRUE(gate.Enter(At(other)).has_value()) << other;
    }
    now_ += 1s;
    EXPECT_TRUE(gate.Enter(At("192.0.2.200")).has_value());
    EXPECT_TRUE(gate.Enter(At("2001:db8:0:1:ffff::1")).has_value());
}

TEST(LookupLimitsTest, LeaveAQuarterOfTheWorkersFreeAndTwoPerNetwork) {
    const LookupLimits shipped = LookupLimitsFor(64);
    EXPECT_EQ(shipped.total, 48U);
    EXPECT_EQ(shipped.perNetwork, 2U);
    const LookupLimits one = LookupLimitsFor(1);
    EXPECT_EQ(one.total, 1U);
    EXPECT_EQ(one.perNetwork, 1U);
    EXPECT_EQ(LookupLimitsFor(4).total, 3U);
    EXPECT_THROW(LookupGate(LookupLimits{0, 4}, 60s, [] { return std::chrono::steady_clock::now(); }),
                 std::invalid_argument);
}

}  // namespace
}  // namespace ipx
