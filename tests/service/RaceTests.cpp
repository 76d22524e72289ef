// The parts a FastCGI process shares among its workers, used by many threads at once.
// Built with ThreadSanitizer, which reports any access its lock does not guard; the
// counts at the end show a lost update even without it.

#include "AnswerCache.h"
#include "LookupGate.h"
#include "SharedLookups.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <list>
#include <string>
#include <thread>
#include <vector>

namespace ipx {
namespace {

using namespace std::chrono_literals;

constexpr int kThreads = 4;
constexpr int kRounds = 2000;

Address CallerFor(int thread, int round) {
    return *Address::Parse("10." + std::to_string(thread) + "." + std::to_string(round % 200) +
                           "." + std::to_string(round % 7 + 1));
}

void RunTogether(const std::function<void(int)>& work) {
    std::vector<std::thread> threads;
    for (int thread = 0; thread < kThreads; ++thread) {
        threads.emplace_back(work, thread);
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
}

// Real time while the threads run, then moved on at once past everything the gate keeps.
class MovableClock {
public:
    std::chrono::steady_clock::time_point operator()() const {
        return std::chrono::steady_clock::now() + std::chrono::minutes(skipped_.load());
    }
    void Skip(std::chrono::minutes minutes) { skipped_ += static_cast<int>(minutes.count()); }

private:
    std::atomic<int> skipped_{0};
};

int LetIn(LookupGate& gate, const std::vector<std::string>& callers,
          std::list<LookupGate::Pass>& passes) {
    int letIn = 0;
    for (const std::string& caller : callers) {
        if (auto pass = gate.Enter(*Address::Parse(caller))) {
            passes.push_back(std::move(*pass));
            ++letIn;
        }
    }
    return letIn;
}

TEST(RaceTest, TheLookupGateCountsEveryPassOfEveryThread) {
    MovableClock clock;
    LookupGate gate(LookupLimitsFor(64), GateTimes{60s, 600s, 450ms}, [&clock] { return clock(); });
    RunTogether([&gate](int thread) {
        for (int round = 0; round < kRounds; ++round) {
            if (auto pass = gate.Enter(CallerFor(thread, round)); pass && round % 3 == 0) {
                pass->MarkSlow();
            }
        }
    });
    EXPECT_EQ(gate.NetworksLookingUp(), 0U);
    // Once every network is new again, the shares are whole: 6 of one /16 or /48, and 12
    // for each family.
    clock.Skip(std::chrono::minutes(11));
    std::vector<std::string> v4;
    std::vector<std::string> v6;
    for (int network = 0; network < 20; ++network) {
        v4.push_back("10.0." + std::to_string(network) + ".1");
        v6.push_back("2001:db8:" + std::to_string(network / 10) + ":" + std::to_string(network) +
                     "::1");
    }
    std::list<LookupGate::Pass> passes;
    EXPECT_EQ(LetIn(gate, v4, passes), 6);
    EXPECT_EQ(LetIn(gate, v6, passes), 12);
    EXPECT_EQ(LetIn(gate, {"10.1.0.1", "10.2.0.1", "10.3.0.1", "10.4.0.1", "10.5.0.1",
                           "10.6.0.1", "10.7.0.1"},
                    passes),
              6);
}

TEST(RaceTest, TheAnswerCacheKeepsItsBoundUnderThreadsStoringAndFinding) {
    AnswerCache cache(64, 60s, [] { return std::chrono::steady_clock::now(); });
    RunTogether([&cache](int thread) {
        for (int round = 0; round < kRounds; ++round) {
            const std::string key = CallerFor(thread, round).Text();
            cache.Store(key, key);
            if (const auto found = cache.Find(key)) {
                EXPECT_EQ(*found, key);
            }
        }
    });
    EXPECT_EQ(cache.size(), 64U);
}

TEST(RaceTest, CallersOfOneAddressOnManyThreadsEachGetTheLineOfTheLookupTheyJoined) {
    SharedLookups lookups;
    std::atomic<int> answered{0};
    RunTogether([&](int thread) {
        for (int round = 0; round < kRounds; ++round) {
            const std::string key = CallerFor(0, round % 3).Text();
            SharedLookups::Turn turn = lookups.Join(key);
            if (turn.Leads()) {
                turn.Publish(key + "/" + std::to_string(thread));
                ++answered;
            } else if (const auto line = turn.Wait(std::chrono::steady_clock::now() + 10s)) {
                EXPECT_EQ(line->substr(0, key.size() + 1), key + "/");
                ++answered;
            }
        }
    });
    EXPECT_EQ(answered.load(), kThreads * kRounds);
}

}  // namespace
}  // namespace ipx
