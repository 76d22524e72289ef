#include <gtest/gtest.h>

#include "TrayCallback.h"

using kestrin::DecodeTrayCallback;
using kestrin::TrayAction;

TEST(TrayCallback, OnlyLeftDoubleClickShowsAndOnlyRightReleaseOpensTheMenu) {
    for (std::uint32_t message = 0x200; message <= 0x209; ++message) {
        const TrayAction expected = message == 0x203   ? TrayAction::ShowWindow
                                    : message == 0x205 ? TrayAction::OpenMenu
                                                       : TrayAction::None;
        EXPECT_EQ(DecodeTrayCallback(message), expected) << "message 0x" << std::hex << message;
    }
}

TEST(TrayCallback, DecodesTheMessageFromTheLowWordOnly) {
    // Newer shells put the icon id in the high word; the message stays in the low word.
    EXPECT_EQ(DecodeTrayCallback(0x00010203), TrayAction::ShowWindow);
    EXPECT_EQ(DecodeTrayCallback(0x00010205), TrayAction::OpenMenu);
    EXPECT_EQ(DecodeTrayCallback(0x02030000), TrayAction::None);
    EXPECT_EQ(DecodeTrayCallback(482), TrayAction::None);
    EXPECT_EQ(DecodeTrayCallback(0x1203), TrayAction::None) << "every bit of the low word counts";
    EXPECT_EQ(DecodeTrayCallback(0x8205), TrayAction::None);
}
