#include "AnswerCache.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <utility>

namespace ipx {
namespace {

using namespace std::chrono_literals;

class AnswerCacheTest : public testing::Test {
protected:
    AnswerCache MakeCache(std::size_t capacity) {
        return AnswerCache(capacity, 60s, [this] { return now_; });
    }
    void Advance(std::chrono::steady_clock::duration by) { now_ += by; }

private:
    std::chrono::steady_clock::time_point now_{};
};

TEST_F(AnswerCacheTest, FindsWhatWasStored) {
    AnswerCache cache = MakeCache(4);
    EXPECT_FALSE(cache.Find("192.0.2.1").has_value());
    cache.Store("192.0.2.1", "one.example");
    cache.Store("192.0.2.2", "192.0.2.2");
    EXPECT_EQ(cache.Find("192.0.2.1"), "one.example");
    EXPECT_EQ(cache.Find("192.0.2.2"), "192.0.2.2");
    EXPECT_FALSE(cache.Find("192.0.2.3").has_value());
}

TEST_F(AnswerCacheTest, ForgetsAnEntryOnceItsLifetimeIsOver) {
    AnswerCache cache = MakeCache(4);
    cache.Store("192.0.2.1", "one.example");
    Advance(59s);
    EXPECT_EQ(cache.Find("192.0.2.1"), "one.example");
    Advance(1s);
    EXPECT_FALSE(cache.Find("192.0.2.1").has_value());
    EXPECT_EQ(cache.size(), 0U);
}

TEST_F(AnswerCacheTest, StoringAgainRenewsTheValueAndItsLifetime) {
    AnswerCache cache = MakeCache(4);
    cache.Store("192.0.2.1", "old.example");
    Advance(50s);
    cache.Store("192.0.2.1", "new.example");
    Advance(50s);
    EXPECT_EQ(cache.Find("192.0.2.1"), "new.example");
    EXPECT_EQ(cache.size(), 1U);
}

TEST_F(AnswerCacheTest, EvictsTheOldestWhenFull) {
    AnswerCache cache = MakeCache(3);
    cache.Store("a", "1");
    cache.Store("b", "2");
    cache.Store("c", "3");
    cache.Store("d", "4");
    EXPECT_EQ(cache.size(), 3U);
    EXPECT_FALSE(cache.Find("a").has_value());
    EXPECT_EQ(cache.Find("b"), "2");
    EXPECT_EQ(cache.Find("d"), "4");
}

TEST_F(AnswerCacheTest, ARenewedEntryIsNoLongerTheOldest) {
    AnswerCache cache = MakeCache(2);
    cache.Store("a", "1");
    cache.Store("b", "2");
    cache.Store("a", "1 again");
    cache.Store("c", "3");
    EXPECT_EQ(cache.Find("a"), "1 again");
    EXPECT_FALSE(cache.Find("b").has_value());
}

TEST_F(AnswerCacheTest, NeverHoldsMoreThanItsCapacity) {
    AnswerCache cache = MakeCache(4096);
    for (int i = 0; i < 10000; ++i) {
        cache.Store("key" + std::to_string(i), "value");
        ASSERT_LE(cache.size(), 4096U);
    }
    EXPECT_EQ(cache.size(), 4096U);
    EXPECT_FALSE(cache.Find("key5903").has_value());
    EXPECT_EQ(cache.Find("key5904"), "value");
}

TEST_F(AnswerCacheTest, DropsExpiredEntriesBeforeEvictingLiveOnes) {
    AnswerCache cache = MakeCache(2);
    cache.Store("a", "1");
    Advance(30s);
    cache.Store("b", "2");
    Advance(31s);
    cache.Store("c", "3");
    EXPECT_EQ(cache.Find("b"), "2");
    EXPECT_EQ(cache.Find("c"), "3");
    EXPECT_EQ(cache.size(), 2U);
}

TEST_F(AnswerCacheTest, DropsEveryExpiredEntryAndKeepsTheLiveOnesInOrder) {
    AnswerCache cache = MakeCache(3);
    for (const auto& [key, after] : {std::pair{"a", 0s}, std::pair{"b", 1s}, std::pair{"c", 49s}}) {
        Advance(after);
        cache.Store(key, "stored");
    }
    Advance(11s);  // a and b have expired, c has not
    cache.Store("d", "4");
    EXPECT_EQ(cache.size(), 2U) << "both expired entries go, not just the one room needs";
    cache.Store("e", "5");
    EXPECT_EQ(cache.size(), 3U);
    cache.Store("f", "6");  // full of live entries: the oldest, c, goes
    EXPECT_FALSE(cache.Find("c").has_value());
    for (const char* live : {"d", "e", "f"}) {
        EXPECT_TRUE(cache.Find(live).has_value()) << live;
    }
}

TEST_F(AnswerCacheTest, RefusesZeroCapacity) {
    EXPECT_THROW(MakeCache(0), std::invalid_argument);
}

}  // namespace
}  // namespace ipx
