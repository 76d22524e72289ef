#include <gtest/gtest.h>

#include <deque>
#include <vector>

#include "Freshness.h"

using kestrin::CycleOutcome;
using kestrin::Freshness;
using Tick = Freshness::Tick;

namespace {

// The rules on a fake clock, driven as the window drives them: the clock moves a
// millisecond at a time, and whenever a lookup is due it runs at once and ends with the
// next scripted outcome (a shown reply when the script is used up).
class Clocked : public ::testing::TestWithParam<Tick> {
protected:
    void Event() { rules.NetworkChanged(now); }
    void Advance(Tick milliseconds) {
        for (Tick step = 0; step < milliseconds; ++step) {
            ++now;
            if (!rules.IsDue(now)) continue;
            lookups.push_back(now - GetParam());
            CycleOutcome outcome = CycleOutcome::Shown;
            if (!outcomes.empty()) {
                outcome = outcomes.front();
                outcomes.pop_front();
            }
            rules.DueLookupRan(now, outcome);
        }
    }
    Tick Elapsed() const { return now - GetParam(); }

    Freshness rules;
    Tick now = GetParam();
    std::deque<CycleOutcome> outcomes;
    std::vector<Tick> lookups;  // when each ran, in milliseconds from the start
};

constexpr auto kFailed = CycleOutcome::DownloadFailed;

TEST_P(Clocked, OneLookupFollowsTheLastEventOfABurstOnceItHasBeenQuietForThreeSeconds) {
    EXPECT_EQ(rules.WaitBefore(now), std::nullopt) << "nothing is pending before any event";
    Event();
    EXPECT_EQ(rules.WaitBefore(now), Tick{3000});
    Advance(2999);
    EXPECT_TRUE(lookups.empty());
    Advance(1);
    EXPECT_EQ(lookups, std::vector<Tick>{3000});

    for (int event = 0; event < 5; ++event) {
        Event();
        Advance(300);
    }
    const Tick lastEvent = Elapsed() - 300;
    Advance(20000);
    EXPECT_EQ(lookups, (std::vector<Tick>{3000, lastEvent + 3000}));
    EXPECT_EQ(rules.WaitBefore(now), std::nullopt) << "a shown reply leaves nothing pending";
}

TEST_P(Clocked, AFailedEventLookupIsRetriedTenSecondsLaterAtMostTwice) {
    outcomes = {kFailed, kFailed, kFailed, kFailed};
    Event();
    Advance(60000);
    EXPECT_EQ(lookups, (std::vector<Tick>{3000, 13000, 23000}));

    lookups.clear();
    outcomes = {kFailed};
    const Tick start = Elapsed();
    Event();
    Advance(60000);
    EXPECT_EQ(lookups, (std::vector<Tick>{start + 3000, start + 13000}))
        << "a retry that shows a reply ends the retries; each event counts its own";
}

TEST_P(Clocked, TheTimerOrButtonEndsRetriesOnlyBySucceedingAndNeverStartsThem) {
    rules.OtherLookupRan(kFailed);
    EXPECT_EQ(rules.WaitBefore(now), std::nullopt);

    outcomes = {kFailed};
    Event();
    Advance(3500);
    rules.OtherLookupRan(CycleOutcome::Skipped);
    rules.OtherLookupRan(kFailed);
    EXPECT_EQ(rules.WaitBefore(now), Tick{9500}) << "the retry stays where it was";
    rules.OtherLookupRan(CycleOutcome::Shown);
    EXPECT_EQ(rules.WaitBefore(now), std::nullopt);

    const Tick start = Elapsed();
    Event();
    Advance(1000);
    rules.OtherLookupRan(CycleOutcome::Shown);
    Advance(30000);
    EXPECT_EQ(lookups, (std::vector<Tick>{3000, start + 3000}))
        << "a reply during the quiet period may predate the change: the event's lookup stays";
}

TEST_P(Clocked, AnEventDuringTheRetryWaitStartsAQuietPeriodAndCountsRetriesAfresh) {
    outcomes = {kFailed, kFailed};
    Event();
    Advance(3000 + 10000 + 5000);  // the first retry failed; the second is 5 s away
    Event();
    const Tick event = Elapsed();
    outcomes = {kFailed, kFailed, kFailed};
    Advance(60000);
    EXPECT_EQ(lookups, (std::vector<Tick>{3000, 13000, event + 3000, event + 13000,
                                          event + 23000}));
}

TEST_P(Clocked, ALookupSkippedForOneStillRunningIsAskedForAgainAfterTheQuietPeriod) {
    Event();
    outcomes = {CycleOutcome::Skipped, kFailed};
    Advance(60000);
    EXPECT_EQ(lookups, (std::vector<Tick>{3000, 6000, 16000}));
}

TEST_P(Clocked, ATimerThatFiresLateFindsTheLookupDueAndEarlyOneHowLongToWait) {
    Event();
    EXPECT_EQ(rules.WaitBefore(now + 1000), Tick{2000});
    EXPECT_FALSE(rules.IsDue(now + 2999));
    EXPECT_TRUE(rules.IsDue(now + 3000));
    EXPECT_EQ(rules.WaitBefore(now + 3001), Tick{0});
    EXPECT_TRUE(rules.IsDue(now + 60000)) << "long overdue is still due";
}

// GetTickCount wraps after 49.7 days; the second start puts the wrap inside every test.
INSTANTIATE_TEST_SUITE_P(FromZeroAndAcrossTheWrap, Clocked,
                         ::testing::Values(Tick{0}, Tick{0xFFFFFFFFu - 2500}));

}  // namespace
