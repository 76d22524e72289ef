#include <gtest/gtest.h>

#include <utility>

#include "Layout.h"

using kestrin::layout::Scale;

TEST(LayoutScale, KeepsPixelsAt96DpiAndRoundsHalvesUpAtOthers) {
    for (int pixels : {0, 1, 16, 411}) EXPECT_EQ(Scale(pixels, 96), pixels);
    EXPECT_EQ(Scale(1, 144), 2) << "1.5 rounds up";
    EXPECT_EQ(Scale(3, 144), 5) << "4.5 rounds up";
    EXPECT_EQ(Scale(411, 144), 617) << "616.5 rounds up";
    EXPECT_EQ(Scale(172, 144), 258);
    EXPECT_EQ(Scale(5, 120), 6) << "6.25 rounds down";
    EXPECT_EQ(Scale(411, 192), 822);
}

TEST(LayoutScale, ABoxScalesEachSideOnItsOwn) {
    const auto box = Scale(kestrin::layout::Box{1, 3, 411, 32}, 144);
    EXPECT_EQ(box.left, 2);
    EXPECT_EQ(box.top, 5);
    EXPECT_EQ(box.width, 617);
    EXPECT_EQ(box.height, 48);
}

// The two groups are one design used twice, so either box one pixel off shows here.
TEST(LayoutGroups, HoldTheirBoxAtTheSamePlaceCentredAcrossAndWithinTheGroup) {
    using namespace kestrin::layout;
    EXPECT_EQ(t_host.left - Frm2.left, t_public.left - Frm1.left);
    EXPECT_EQ(t_host.top - Frm2.top, t_public.top - Frm1.top);
    EXPECT_EQ(t_host.height, t_public.height);
    EXPECT_EQ(Frm2.height, Frm1.height);
    for (const auto& [group, box] : {std::pair{Frm1, t_public}, std::pair{Frm2, t_host}}) {
        EXPECT_EQ(box.left - group.left, group.left + group.width - box.left - box.width);
        EXPECT_LT(box.top + box.height, group.top + group.height);
    }
}
