// A window started at 96 DPI that Windows moves to a monitor of another DPI: it lays
// itself out afresh, pixel for pixel as a window started at that DPI, and back again,
// keeping what it shows, its focus and whether it is shown.

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "Dpi.h"
#include "Layout.h"
#include "ShellNotifyRecorder.h"
#include "WinTestSupport.h"
#include "WindowFixture.h"
#include "resource.h"

namespace kestrin::test {
namespace {

struct DpiCase {
    int dpi;
    int smallIcon;  // SM_CXSMICON at that DPI
};

class DpiChange : public ShownWindow, public ::testing::WithParamInterface<DpiCase> {
protected:
    void SetUp() override {
        if (dpi_ != layout::kBaseDpi) GTEST_SKIP() << "the window starts at 96 DPI here";
        ShownWindow::SetUp();
    }

    // What Windows does when the window comes onto a monitor of another DPI: it asks the
    // window for its size there and suggests a rectangle of that size at the same corner.
    RECT MoveToDpi(int dpi) {
        SIZE size{};
        EXPECT_TRUE(SendMessageW(Main(), kGetDpiScaledSize, static_cast<WPARAM>(dpi),
                                 reinterpret_cast<LPARAM>(&size)));
        RECT now;
        GetWindowRect(Main(), &now);
        RECT suggested{now.left, now.top, now.left + size.cx, now.top + size.cy};
        SendMessageW(Main(), kDpiChanged, MAKEWPARAM(dpi, dpi),
                     reinterpret_cast<LPARAM>(&suggested));
        PumpUntilPainted(Main());
        return suggested;
    }

    void ExpectLaidOutFor(int dpi, const RECT& suggested) {
        SCOPED_TRACE("at " + std::to_string(dpi) + " DPI");
        RECT outer;
        RECT inner;
        GetWindowRect(Main(), &outer);
        GetClientRect(Main(), &inner);
        EXPECT_TRUE(EqualRect(&outer, &suggested)) << "the window takes the suggested rectangle";
        EXPECT_EQ(inner.right, layout::Scale(layout::kInnerWidth, dpi));
        EXPECT_EQ(inner.bottom, layout::Scale(layout::kInnerHeight, dpi));
        EXPECT_EQ(FontOf(IDC_T_PUBLIC).lfHeight, -layout::Scale(layout::kWindowFontPx, dpi));
        EXPECT_EQ(FontOf(IDC_BTN_REFRESH).lfHeight, -layout::Scale(layout::kWindowFontPx, dpi));
        EXPECT_EQ(FontOf(IDC_L_TEXT).lfHeight, -layout::Scale(layout::kLabelFontPx, dpi));
        ExpectButtonCaptionFits();
        const auto reference = ReferencePicture(dpi);
        ASSERT_TRUE(reference.has_value()) << "cannot read the reference picture";
        EXPECT_EQ(Shot().DifferingPixels(*reference), 0u)
            << "pixels differ from a window started at " << dpi << " DPI";
    }

    HICON SmallIcon() const {
        return reinterpret_cast<HICON>(SendMessageW(Main(), WM_GETICON, ICON_SMALL, 0));
    }
};

TEST_P(DpiChange, LooksAndSitsLikeAWindowStartedThereAndLikeItselfBackAt96) {
    const std::wstring address = WindowTextOf(Control(IDC_T_PUBLIC));
    const std::wstring host = WindowTextOf(Control(IDC_T_HOST));
    ASSERT_FALSE(address.empty());

    ExpectLaidOutFor(GetParam().dpi, MoveToDpi(GetParam().dpi));
    EXPECT_EQ(WindowTextOf(Control(IDC_T_PUBLIC)), address);
    EXPECT_EQ(WindowTextOf(Control(IDC_T_HOST)), host);
    EXPECT_EQ(GetFocus(), Control(IDC_BTN_REFRESH));

    ExpectLaidOutFor(layout::kBaseDpi, MoveToDpi(layout::kBaseDpi));
    EXPECT_EQ(WindowTextOf(Control(IDC_T_PUBLIC)), address);
    EXPECT_EQ(GetFocus(), Control(IDC_BTN_REFRESH));
}

TEST_P(DpiChange, HandsTheShellTheSmallIconOfTheNewDpi) {
    const ShellNotifyRecorder shell;
    ASSERT_TRUE(shell.IsRecording());
    MoveToDpi(GetParam().dpi);
    EXPECT_GE(shell.Calls(), 1);
    EXPECT_EQ(IconWidth(shell.LastIcon()), GetParam().smallIcon);
    EXPECT_EQ(shell.LastIcon(), SmallIcon()) << "the tray shows the window's own small icon";
    EXPECT_EQ(IconWidth(SmallIcon()), GetParam().smallIcon);
    EXPECT_TRUE(TrayHasIcon(Main(), 1));

    MoveToDpi(layout::kBaseDpi);
    EXPECT_EQ(IconWidth(shell.LastIcon()), 16);
}

TEST_P(DpiChange, KeepsAHiddenWindowHidden) {
    SendMessageW(Main(), WM_COMMAND, MAKEWPARAM(IDC_IMG_CLOSE, STN_CLICKED),
                 reinterpret_cast<LPARAM>(Control(IDC_IMG_CLOSE)));
    ASSERT_FALSE(IsWindowVisible(Main()));
    MoveToDpi(GetParam().dpi);
    EXPECT_FALSE(IsWindowVisible(Main()));
    RECT inner;
    GetClientRect(Main(), &inner);
    EXPECT_EQ(inner.right, layout::Scale(layout::kInnerWidth, GetParam().dpi));
}

// Every font, bitmap and icon of the old DPI is deleted once the new ones are in use.
TEST_P(DpiChange, ReleasesTheFontsAndPicturesOfTheOldDpi) {
    const HGDIOBJ oldFonts[] = {
        reinterpret_cast<HGDIOBJ>(SendMessageW(Control(IDC_T_PUBLIC), WM_GETFONT, 0, 0)),
        reinterpret_cast<HGDIOBJ>(SendMessageW(Control(IDC_BTN_REFRESH), WM_GETFONT, 0, 0)),
        reinterpret_cast<HGDIOBJ>(SendMessageW(Control(IDC_L_TEXT), WM_GETFONT, 0, 0))};
    const auto oldStrip = reinterpret_cast<HGDIOBJ>(
        GetWindowLongPtrW(Control(IDC_L_TOP), GWLP_USERDATA));
    const HICON oldIcon = SmallIcon();
    for (HGDIOBJ font : oldFonts) ASSERT_EQ(GetObjectType(font), static_cast<DWORD>(OBJ_FONT));
    ASSERT_EQ(GetObjectType(oldStrip), static_cast<DWORD>(OBJ_BITMAP));

    MoveToDpi(GetParam().dpi);
    for (HGDIOBJ font : oldFonts) EXPECT_EQ(GetObjectType(font), 0u);
    EXPECT_EQ(GetObjectType(oldStrip), 0u);
    EXPECT_EQ(IconWidth(oldIcon), 0) << "the old small icon is destroyed";
    EXPECT_EQ(GetObjectType(reinterpret_cast<HGDIOBJ>(
                  SendMessageW(Control(IDC_T_PUBLIC), WM_GETFONT, 0, 0))),
              static_cast<DWORD>(OBJ_FONT));
}

INSTANTIATE_TEST_SUITE_P(To, DpiChange, ::testing::Values(DpiCase{120, 20}, DpiCase{144, 24}),
                         [](const auto& test) { return std::to_string(test.param.dpi); });

}  // namespace
}  // namespace kestrin::test
