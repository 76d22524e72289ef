#include "RequestBody.h"

#include <gtest/gtest.h>

namespace ipx {
namespace {

TEST(RequestBodyTest, DiscardsAsManyBytesAsTheLengthSays) {
    EXPECT_EQ(BodyBytesToDiscard("0"), 0u);
    EXPECT_EQ(BodyBytesToDiscard("13"), 13u);
    EXPECT_EQ(BodyBytesToDiscard("1048576"), 1048576u);
}

TEST(RequestBodyTest, DiscardsNothingWithoutAPlainDecimalLength) {
    for (const char* length : {"", "-1", "+5", " 5", "5 ", "0x10", "12abc", "abc"}) {
        EXPECT_EQ(BodyBytesToDiscard(length), 0u) << length;
    }
    EXPECT_EQ(BodyBytesToDiscard(std::nullopt), 0u);
}

TEST(RequestBodyTest, DiscardsAtMostTheLimitHoweverLongTheBody) {
    EXPECT_EQ(kMaxDiscardedBody, 1048576u);
    EXPECT_EQ(BodyBytesToDiscard("1048577"), 1048576u);
    EXPECT_EQ(BodyBytesToDiscard("99999999999999999999999999"), 1048576u);
}

}  // namespace
}  // namespace ipx
