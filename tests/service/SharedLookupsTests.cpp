#include "SharedLookups.h"

#include <gtest/gtest.h>

#include <future>
#include <memory>

namespace ipx {
namespace {

using namespace std::chrono_literals;
using Turn = SharedLookups::Turn;

std::chrono::steady_clock::time_point Later() {
    return std::chrono::steady_clock::now() + 60s;
}

TEST(SharedLookupsTest, CallersOfOneAddressGetTheLeadsLineOrNoneOnceItEnds) {
    SharedLookups lookups;
    std::unique_ptr<Turn> lead(new Turn(lookups.Join("192.0.2.1")));
    std::unique_ptr<Turn> abandoning(new Turn(lookups.Join("192.0.2.2")));
    Turn follower = lookups.Join("192.0.2.1");
    Turn left = lookups.Join("192.0.2.2");
    EXPECT_TRUE(lead->Leads());
    EXPECT_TRUE(abandoning->Leads());
    EXPECT_FALSE(follower.Leads());
    EXPECT_FALSE(left.Leads());
    EXPECT_EQ(left.Wait(std::chrono::steady_clock::now()), std::nullopt);  // its deadline passed
    auto shared = std::async(std::launch::async, [&] { return follower.Wait(Later()); });
    auto none = std::async(std::launch::async, [&] { return left.Wait(Later()); });
    lead->Publish("one.example.net");
    abandoning.reset();
    EXPECT_EQ(shared.get(), "one.example.net");
    EXPECT_EQ(none.get(), std::nullopt);
    lead.reset();
    // Once a lookup has ended, the next caller leads a new one.
    EXPECT_TRUE(lookups.Join("192.0.2.1").Leads());
    EXPECT_TRUE(lookups.Join("192.0.2.2").Leads());
}

}  // namespace
}  // namespace ipx
