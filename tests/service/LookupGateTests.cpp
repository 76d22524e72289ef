#include "LookupGate.h"
#include "NetworkPrefix.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <initializer_list>
#include <list>
#include <stdexcept>
#include <string>
#include <vector>

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

TEST(NetworkPrefixTest, GroupsWideNetworksIpv4By16AndIpv6By48) {
    EXPECT_EQ(WideNetworkPrefix(At("192.0.2.1")), WideNetworkPrefix(At("192.0.255.1")));
    EXPECT_EQ(WideNetworkPrefix(At("::ffff:192.0.2.1")), WideNetworkPrefix(At("192.0.9.9")));
    EXPECT_NE(WideNetworkPrefix(At("192.0.2.1")), WideNetworkPrefix(At("192.1.2.1")));
    EXPECT_EQ(WideNetworkPrefix(At("2001:db8:1::1")), WideNetworkPrefix(At("2001:db8:1:ffff::1")));
    EXPECT_NE(WideNetworkPrefix(At("2001:db8:1::1")), WideNetworkPrefix(At("2001:db8:2::1")));
    EXPECT_NE(WideNetworkPrefix(At("c000::")), WideNetworkPrefix(At("192.0.0.0")));
    EXPECT_NE(WideNetworkPrefix(At("192.0.2.1")), NetworkPrefix(At("192.0.2.1")));
}

class LookupGateTest : public testing::Test {
protected:
    LookupGate MakeGate(LookupLimits limits) {
        return LookupGate(limits, GateTimes{60s, 600s, 450ms}, [this] { return now_; });
    }

    // Each caller a lookup that ran out of time.
    static void TimeOut(LookupGate& gate, std::initializer_list<const char*> callers) {
        for (const char* caller : callers) {
            gate.Enter(At(caller))->MarkSlow();
        }
    }

    // How many of the callers got a pass, which passes keeps.
    static int LetIn(LookupGate& gate, const std::vector<std::string>& callers,
                     std::list<LookupGate::Pass>& passes) {
        int letIn = 0;
        for (const std::string& caller : callers) {
            if (auto pass = gate.Enter(At(caller))) {
                passes.push_back(std::move(*pass));
                ++letIn;
            }
        }
        return letIn;
    }

    std::chrono::steady_clock::time_point now_{};
};

TEST_F(LookupGateTest, BoundsLookupsAtOncePerNetworkAndInAll) {
    LookupGate gate = MakeGate(LookupLimits{2, 3, 3, 3, 3, 3});
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
    LookupGate gate = MakeGate(LookupLimits{1, 1, 1, 1, 1, 1});
    {
        std::optional<LookupGate::Pass> first = gate.Enter(At("192.0.2.1"));
        LookupGate::Pass moved = std::move(*first);
        first.reset();
        EXPECT_FALSE(gate.Enter(At("198.51.100.1")).has_value());
    }
    EXPECT_TRUE(gate.Enter(At("198.51.100.1")).has_value());
}

TEST_F(LookupGateTest, KeepsASlowNetworkOutForItsMemoryOnly) {
    LookupGate gate = MakeGate(LookupLimits{2, 8, 8, 8, 8, 8});
    TimeOut(gate, {"192.0.2.1", "192.0.2.2", "192.0.2.3"});
    TimeOut(gate, {"2001:db8:0:1::1", "2001:db8:0:1::2", "2001:db8:0:1::3"});
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

TEST_F(LookupGateTest, RemembersAsManySlowNetworksAsLookupsCanFindInItsMemory) {
    LookupGate gate = MakeGate(LookupLimits{2, 8, 8, 8, 8, 8});
    for (int network = 0; network < 4096; ++network) {
        const std::string prefix =
            "10." + std::to_string(network / 256) + "." + std::to_string(network % 256) + ".";
        for (const char* host : {"1", "2", "3"}) {
            gate.Enter(At(prefix + host))->MarkSlow();
        }
    }
    EXPECT_FALSE(gate.Enter(At("10.0.0.9")).has_value());
    EXPECT_FALSE(gate.Enter(At("10.15.255.9")).has_value());
}

TEST_F(LookupGateTest, ABurstOfNewNetworksLeavesTheLookupsOfNetworksWhoseDnsAnswered) {
    LookupGate gate = MakeGate(LookupLimitsFor(64));  // 48 in all, 12 new of each family
    const std::vector<std::string> networks{"198.51.100.1", "2001:db8:aaaa:1::1"};
    std::list<LookupGate::Pass> answered;
    EXPECT_EQ(LetIn(gate, networks, answered), 2);
    answered.clear();
    now_ += 599s;
    std::vector<std::string> newV6;
    std::vector<std::string> newV4;
    for (int i = 0; i < 1000; ++i) {
        newV6.push_back("2001:db8:" + std::to_string(1000 + i) + "::1");
        newV4.push_back("10." + std::to_string(i % 250) + "." + std::to_string(i / 250) + ".1");
    }
    std::list<LookupGate::Pass> attack;
    EXPECT_EQ(LetIn(gate, newV6, attack), 12);
    // IPv6 networks, which cost an attacker nothing, take nothing of IPv4's share.
    EXPECT_EQ(LetIn(gate, newV4, attack), 12);
    std::vector<std::string> fromAnswered;
    for (int host = 2; host < 100; ++host) {
        fromAnswered.push_back((host % 2 ? "198.51.100." : "2001:db8:aaaa:1::") +
                               std::to_string(host));
    }
    EXPECT_EQ(LetIn(gate, fromAnswered, answered), 4);  // two at once for each network
    answered.clear();
    // Trust lasts as long as the gate's: past it, those networks are new ones again.
    now_ += 600s;
    EXPECT_EQ(LetIn(gate, networks, answered), 0);
}

TEST_F(LookupGateTest, AnsweredNetworksShareHalfTheLookupsWhileNewOnesHoldTheirShare) {
    LookupGate gate = MakeGate(LookupLimitsFor(64));
    std::vector<std::string> answered;
    for (int network = 0; network < 30; ++network) {
        answered.push_back("198." + std::to_string(network) + ".100.1");
    }
    std::list<LookupGate::Pass> passes;
    for (const std::string& network : answered) {
        EXPECT_EQ(LetIn(gate, {network}, passes), 1);
        passes.clear();
    }
    std::vector<std::string> newV6;
    std::vector<std::string> newV4;
    for (int i = 0; i < 100; ++i) {
        newV6.push_back("2001:db8:" + std::to_string(1000 + i) + "::1");
        newV4.push_back("10." + std::to_string(i) + ".0.1");
    }
    EXPECT_EQ(LetIn(gate, newV6, passes), 12);
    EXPECT_EQ(LetIn(gate, newV4, passes), 12);
    EXPECT_EQ(LetIn(gate, answered, passes), 24);
}

TEST_F(LookupGateTest, LimitsTheNewNetworksOfOne16Or48) {
    LookupGate gate = MakeGate(LookupLimitsFor(64));
    std::list<LookupGate::Pass> passes;
    EXPECT_EQ(LetIn(gate, {"203.0.200.1"}, passes), 1);
    passes.clear();  // answered: trusted from now on
    std::vector<std::string> one48;
    std::vector<std::string> one16;
    for (int network = 0; network < 20; ++network) {
        one48.push_back("2001:db8:1:" + std::to_string(network) + "::1");
        one16.push_back("203.0." + std::to_string(network) + ".1");
    }
    EXPECT_EQ(LetIn(gate, one48, passes), 6);
    EXPECT_EQ(LetIn(gate, one16, passes), 6);
    EXPECT_EQ(LetIn(gate, {"2001:db8:2::1", "203.1.0.1", "203.0.200.2"}, passes), 3);
    passes.front().MarkSlow();
    passes.pop_front();
    EXPECT_EQ(LetIn(gate, one48, passes), 1);
}

TEST_F(LookupGateTest, KeepsCountsOnlyForNetworksWithLookupsRunning) {
    LookupGate gate = MakeGate(LookupLimits{2, 3, 3, 3, 3, 3});
    std::list<LookupGate::Pass> passes;
    EXPECT_EQ(LetIn(gate, {"192.0.2.1", "192.0.2.2", "198.51.100.1"}, passes), 3);
    std::vector<std::string> turnedAway;
    for (int network = 0; network < 100; ++network) {
        turnedAway.push_back("10.0." + std::to_string(network) + ".1");
    }
    EXPECT_EQ(LetIn(gate, turnedAway, passes), 0);
    EXPECT_EQ(gate.NetworksLookingUp(), 2U);
    // The first of a network's two lookups to end leaves the other counted.
    passes.pop_front();
    EXPECT_EQ(gate.NetworksLookingUp(), 2U);
    EXPECT_EQ(LetIn(gate, {"192.0.2.3", "192.0.2.4"}, passes), 1);
    passes.clear();
    EXPECT_EQ(gate.NetworksLookingUp(), 0U);
}

// The gate's rules of trust, a step at a time on its clock, with the limits of 64 workers:
// 48 at once, 12 for new networks of each family, 12 for one /16 or /48, 6 for its new
// networks, 24 callers waiting for their address's lookup in each family.
using Callers = std::function<std::string(int)>;

Callers One(std::string caller) {
    return [caller](int) { return caller; };
}

Callers Numbered(std::string before, std::string after) {
    return [before, after](int i) { return before + std::to_string(i) + after; };
}

struct Step {
    enum class Kind { AnswerFast, AnswerLate, TimeOut, LetIn, Wait, Advance } kind;
    Callers callers;
    int count = 1;     // callers 0 to count - 1
    int expected = 0;  // LetIn, Wait: how many get a pass, kept to the end
    std::chrono::seconds by{};
};

Step Fast(Callers callers, int count = 1) {
    return {Step::Kind::AnswerFast, std::move(callers), count};
}
Step Late(Callers callers) {
    return {Step::Kind::AnswerLate, std::move(callers)};
}
Step TimedOut(Callers callers, int count = 1) {
    return {Step::Kind::TimeOut, std::move(callers), count};
}
Step Enter(Callers callers, int count, int expected) {
    return {Step::Kind::LetIn, std::move(callers), count, expected};
}
Step Wait(Callers callers, int count, int expected) {
    return {Step::Kind::Wait, std::move(callers), count, expected};
}
Step After(std::chrono::seconds by) {
    return {Step::Kind::Advance, {}, 0, 0, by};
}

// Twenty new IPv4 networks, each in a /16 of its own: IPv4's new share takes 12.
Step FillNewIpv4() {
    return Enter(Numbered("10.", ".0.1"), 20, 12);
}

struct Rule {
    const char* name;
    std::vector<Step> steps;
};

TEST_F(LookupGateTest, TrustIsEarnedOnlyByFastAnswersAndLostAtOnce) {
    const Callers flood = [](int i) {
        return "2001:db8:" + std::to_string(i / 1000) + ":" + std::to_string(i % 1000) + "::1";
    };
    const std::vector<Rule> rules{
        {"trust is lost at the first time-out",
         {Fast(One("198.51.100.1")), Fast(One("203.0.113.1")), TimedOut(One("198.51.100.2")),
          FillNewIpv4(), Enter(One("198.51.100.3"), 1, 0), Enter(One("203.0.113.2"), 1, 1)}},
        {"a late answer earns no trust and ends what was earned",
         {Late(One("198.51.100.1")), Fast(One("192.0.2.1")), Late(One("192.0.2.2")),
          Fast(One("203.0.113.1")), FillNewIpv4(), Enter(One("198.51.100.2"), 1, 0),
          Enter(One("192.0.2.3"), 1, 0), Enter(One("203.0.113.2"), 1, 1)}},
        {"one /16 or /48 takes a quarter of the lookups, trusted or not",
         {Fast(Numbered("203.0.", ".1"), 20), Enter(Numbered("203.0.", ".2"), 20, 12),
          Enter(Numbered("203.0.", ".3"), 20, 0), Enter(One("198.51.100.1"), 1, 1)}},
        {"a /48 where three networks timed out is slow for its networks without trust",
         {Fast(One("2001:db8:1:ff::1")), TimedOut(Numbered("2001:db8:1:", "::1"), 3),
          Enter(One("2001:db8:1:99::1"), 1, 0), Enter(One("2001:db8:1:ff::2"), 1, 1),
          Enter(One("2001:db8:2::1"), 1, 1), After(60s), Enter(One("2001:db8:1:99::1"), 1, 1)}},
        {"a flood of fast answers leaves the trusted networks in place",
         {Fast(One("198.51.100.1")), Fast(flood, 17000), FillNewIpv4(),
          Enter(One("198.51.100.2"), 1, 1)}},
        {"callers waiting for their address take half of the lookups in each family",
         {Wait(One("192.0.2.1"), 30, 24), Wait(One("2001:db8::1"), 30, 24),
          Enter(One("198.51.100.1"), 1, 0)}},
    };
    for (const Rule& rule : rules) {
        SCOPED_TRACE(rule.name);
        now_ = {};
        LookupGate gate = MakeGate(LookupLimitsFor(64));
        std::list<LookupGate::Pass> kept;
        for (const Step& step : rule.steps) {
            int gotThrough = 0;
            for (int i = 0; i < step.count; ++i) {
                const Address caller = At(step.callers(i));
                auto pass = step.kind == Step::Kind::Wait ? gate.EnterToWait(caller)
                                                          : gate.Enter(caller);
                if (step.kind == Step::Kind::LetIn || step.kind == Step::Kind::Wait) {
                    gotThrough += pass.has_value();
                    if (pass) {
                        kept.push_back(std::move(*pass));
                    }
                    continue;
                }
                ASSERT_TRUE(pass.has_value()) << step.callers(i);
                if (step.kind == Step::Kind::AnswerLate) {
                    now_ += 1s;
                } else if (step.kind == Step::Kind::TimeOut) {
                    pass->MarkSlow();
                }
            }
            now_ += step.by;
            if (step.kind == Step::Kind::LetIn || step.kind == Step::Kind::Wait) {
                EXPECT_EQ(gotThrough, step.expected) << step.callers(0);
            }
        }
    }
}

TEST(LookupLimitsTest, LeaveAQuarterOfTheWorkersFreeAndTwoPerNetwork) {
    const LookupLimits shipped = LookupLimitsFor(64);
    EXPECT_EQ(shipped.total, 48U);
    EXPECT_EQ(shipped.perNetwork, 2U);
    const LookupLimits one = LookupLimitsFor(1);
    EXPECT_EQ(one.total, 1U);
    EXPECT_EQ(one.perNetwork, 1U);
    EXPECT_EQ(one.newPerFamily, 1U);
    EXPECT_EQ(one.newPerWideNetwork, 1U);
    EXPECT_EQ(shipped.newPerFamily, 12U);
    EXPECT_EQ(shipped.newPerWideNetwork, 6U);
    EXPECT_EQ(shipped.perWideNetwork, 12U);
    EXPECT_EQ(shipped.waitingPerFamily, 24U);
    EXPECT_EQ(LookupLimitsFor(2).total, 2U);
    EXPECT_EQ(LookupLimitsFor(4).total, 3U);
    EXPECT_EQ(LookupLimitsFor(7).total, 6U);
    const auto now = [] { return std::chrono::steady_clock::now(); };
    for (std::size_t field = 0; field < 6; ++field) {
        std::array<std::size_t, 6> counts{2, 4, 4, 4, 4, 4};
        counts[field] = 0;
        const LookupLimits none{counts[0], counts[1], counts[2], counts[3], counts[4], counts[5]};
        EXPECT_THROW(LookupGate(none, GateTimes{60s, 600s, 450ms}, now), std::invalid_argument);
    }
}

}  // namespace
}  // namespace ipx
