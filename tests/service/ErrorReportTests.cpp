#include "ErrorReport.h"

#include <gtest/gtest.h>

namespace ipx {
namespace {

TEST(JournalStreamTest, MatchesOnlyTheDeviceAndInodeSystemdNamed) {
    EXPECT_TRUE(IsJournalStream("8:1234", 8, 1234));
    EXPECT_FALSE(IsJournalStream(nullptr, 8, 1234));
    EXPECT_FALSE(IsJournalStream("", 8, 1234));
    EXPECT_FALSE(IsJournalStream("8:1235", 8, 1234));
    EXPECT_FALSE(IsJournalStream("9:1234", 8, 1234));
    EXPECT_FALSE(IsJournalStream("8:1234x", 8, 1234));
    EXPECT_FALSE(IsJournalStream("8", 8, 1234));
}

}  // namespace
}  // namespace ipx
