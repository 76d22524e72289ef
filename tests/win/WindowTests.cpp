// The real window, created in this process: its frame, places, fonts, focus and pixels
// at the system DPI. At 96 DPI the pixels are exactly the designed ones; another DPI
// scales them. Two tests start this program again with the system DPI set to 120 and 144.

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "IconExchangeWin.h"
#include "KestrinProcess.h"
#include "Layout.h"
#include "ProgramSettings.h"
#include "Memory.h"
#include "ScreenCapture.h"
#include "ShellNotifyRecorder.h"
#include "Version.h"
#include "WinTestSupport.h"
#include "WindowFixture.h"
#include "frmMain.h"
#include "resource.h"

namespace kestrin::test {
namespace {

using Window = ShownWindow;

TEST_F(Window, RunsAtTheDpiItWasStartedFor) {
    const char* expected = std::getenv("KESTRIN_EXPECT_DPI");
    if (!expected) GTEST_SKIP() << "only the runs that WindowAtAnotherDpi starts name a DPI";
    EXPECT_EQ(dpi_, std::atoi(expected));
}

TEST_F(Window, HasAThinFixedFrameAndNoCaptionMenuOrTaskbarButton) {
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(Main(), GWL_STYLE));
    const auto exStyle = static_cast<DWORD>(GetWindowLongPtrW(Main(), GWL_EXSTYLE));
    EXPECT_EQ(style & WS_CAPTION, static_cast<DWORD>(WS_DLGFRAME)) << "dialog frame, no title bar";
    EXPECT_EQ(style & (WS_THICKFRAME | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX), 0u);
    EXPECT_NE(exStyle & WS_EX_TOOLWINDOW, 0u);
    EXPECT_EQ(GetMenu(Main()), nullptr);
    EXPECT_EQ(WindowTextOf(Main()), L"");
}

TEST_F(Window, InnerAreaIsTheDesignedSizeAndTheFrameIsThreePixels) {
    RECT inner;
    RECT outer;
    GetClientRect(Main(), &inner);
    GetWindowRect(Main(), &outer);
    EXPECT_EQ(inner.right, layout::Scale(411, dpi_));
    EXPECT_EQ(inner.bottom, layout::Scale(172, dpi_));
    EXPECT_EQ(outer.right - outer.left - inner.right, 6);
    EXPECT_EQ(outer.bottom - outer.top - inner.bottom, 6);
}

TEST_F(Window, OpensCentredOnTheScreen) {
    RECT outer;
    GetWindowRect(Main(), &outer);
    EXPECT_NEAR(outer.left + outer.right, GetSystemMetrics(SM_CXSCREEN), 1);
    EXPECT_NEAR(outer.top + outer.bottom, GetSystemMetrics(SM_CYSCREEN), 1);
}

TEST_F(Window, FocusStartsOnTheButtonAndTabVisitsTheBoxesInOrder) {
    HWND button = Control(IDC_BTN_REFRESH);
    EXPECT_EQ(GetFocus(), button);
    HWND second = GetNextDlgTabItem(Main(), button, FALSE);
    HWND third = GetNextDlgTabItem(Main(), second, FALSE);
    EXPECT_EQ(second, Control(IDC_T_PUBLIC));
    EXPECT_EQ(third, Control(IDC_T_HOST));
    EXPECT_EQ(GetNextDlgTabItem(Main(), third, FALSE), button);
}

TEST_F(Window, CaptionsAreTheDesignedOnes) {
    EXPECT_EQ(WindowTextOf(Control(IDC_FRM1)), L"IP Adress (Public)");
    EXPECT_EQ(WindowTextOf(Control(IDC_FRM2)), L"Hostname (Public)");
    EXPECT_EQ(WindowTextOf(Control(IDC_BTN_REFRESH)), L"refresh now !!!");
    EXPECT_EQ(WindowTextOf(Control(IDC_L_TEXT)), L"Kestrin" + std::wstring(kVersionSuffix));
}

int CALLBACK NoteFaceFound(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
    *reinterpret_cast<bool*>(found) = true;
    return 0;
}

bool SystemHasFace(const std::wstring& face) {
    LOGFONTW wanted{};
    wanted.lfCharSet = ANSI_CHARSET;
    face.copy(wanted.lfFaceName, LF_FACESIZE - 1);
    bool found = false;
    HDC screen = GetDC(nullptr);
    EnumFontFamiliesExW(screen, &wanted, NoteFaceFound, reinterpret_cast<LPARAM>(&found), 0);
    ReleaseDC(nullptr, screen);
    return found;
}

// MS Sans Serif wherever the system has it; elsewhere one face that the system has, not
// the font mapper's stand-in, for the button and both frames and boxes alike.
TEST_F(Window, FontsHaveTheDesignedFaceSizeWeightAndSlant) {
    const std::wstring windowFace = FontOf(IDC_BTN_REFRESH).lfFaceName;
    if (SystemHasFace(L"MS Sans Serif"))
        EXPECT_EQ(windowFace, L"MS Sans Serif");
    else
        EXPECT_TRUE(SystemHasFace(windowFace)) << "no such face here: " << windowFace;
    const struct {
        int id;
        const std::wstring face;
        int pixels96;
        LONG weight;
        bool italic;
    } fonts[] = {
        {IDC_BTN_REFRESH, windowFace, 11, FW_NORMAL, false},
        {IDC_FRM1, windowFace, 11, FW_NORMAL, false},
        {IDC_FRM2, windowFace, 11, FW_NORMAL, false},
        {IDC_T_PUBLIC, windowFace, 11, FW_BOLD, false},
        {IDC_T_HOST, windowFace, 11, FW_BOLD, false},
        {IDC_L_TEXT, L"Arial", 13, FW_BOLD, true},
    };
    for (const auto& f : fonts) {
        const LOGFONTW font = FontOf(f.id);
        EXPECT_EQ(font.lfFaceName, f.face) << "control " << f.id;
        EXPECT_EQ(font.lfHeight, -layout::Scale(f.pixels96, dpi_)) << "control " << f.id;
        EXPECT_EQ(font.lfWeight, f.weight) << "control " << f.id;
        EXPECT_EQ(font.lfItalic != 0, f.italic) << "control " << f.id;
        EXPECT_EQ(font.lfCharSet, ANSI_CHARSET) << "control " << f.id;
        EXPECT_FALSE(font.lfUnderline || font.lfStrikeOut) << "control " << f.id;
    }
}

TEST_F(Window, ShowsTheWholeButtonCaption) { ExpectButtonCaptionFits(); }

// 16, 20 and 24 pixels at 96, 120 and 144 DPI, each the icon's own frame of that size.
TEST_F(Window, HandsTheShellTheSmallIconOfItsDpi) {
    const ShellNotifyRecorder shell;
    ASSERT_TRUE(shell.IsRecording());
    window_.IconModify();
    EXPECT_EQ(IconWidth(shell.LastIcon()), layout::Scale(16, dpi_));
    EXPECT_EQ(shell.LastIcon(),
              reinterpret_cast<HICON>(SendMessageW(Main(), WM_GETICON, ICON_SMALL, 0)));
}

TEST_F(Window, BoxesAreReadOnlyButTheirTextCanBeSelected) {
    for (int id : {IDC_T_PUBLIC, IDC_T_HOST}) {
        const auto style = static_cast<DWORD>(GetWindowLongPtrW(Control(id), GWL_STYLE));
        EXPECT_NE(style & ES_READONLY, 0u);
        EXPECT_NE(IsWindowEnabled(Control(id)), FALSE) << "a disabled box cannot be copied from";
    }
}

// Where screenshots go: the folder the test run names, else beside this program.
std::wstring ArtifactPath(const std::wstring& name) {
    wchar_t folder[MAX_PATH] = {};
    if (!GetEnvironmentVariableW(L"KESTRIN_ARTIFACTS", folder, MAX_PATH))
        return ProgramFolder() + L"\\" + name;
    return std::wstring(folder) + L"\\" + name;
}

// The window must stay the same to the pixel. Its screenshot is kept at every DPI: to see
// what differs, and to take a reference picture from.
TEST_F(Window, LooksPixelForPixelLikeItsReferencePicture) {
    const ScreenCapture shot = Shot();
    EXPECT_TRUE(shot.SaveBmp(ArtifactPath(L"window-" + std::to_wstring(dpi_) + L"dpi.bmp")));
    if (dpi_ != 96 && dpi_ != 120 && dpi_ != 144)
        GTEST_SKIP() << "references exist for 96, 120 and 144 DPI";
    const auto reference = ReferencePicture(dpi_);
    ASSERT_TRUE(reference.has_value()) << "cannot read the reference picture";
    EXPECT_EQ(shot.DifferingPixels(*reference), 0u)
        << "pixels differ from the reference; the screenshot saved shows how";
}

std::vector<std::wstring> menuRowsSeen;

// Runs inside the menu's own loop: reads the open menu's rows, then closes it.
void CALLBACK ReadTheOpenMenuThenCloseIt(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    HWND menuWindow = FindWindowW(L"#32768", nullptr);
    auto menu = reinterpret_cast<HMENU>(SendMessageW(menuWindow, MN_GETHMENU, 0, 0));
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        wchar_t text[32] = {};
        MENUITEMINFOW item{};
        item.cbSize = sizeof item;
        item.fMask = MIIM_FTYPE | MIIM_STRING;
        item.dwTypeData = text;
        item.cch = static_cast<UINT>(std::size(text));
        GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &item);
        menuRowsSeen.push_back(item.fType & MFT_SEPARATOR ? L"-" : text);
    }
    EndMenu();
}

TEST_F(Window, TrayRightClickOpensShowASeparatorAndExit) {
    menuRowsSeen.clear();
    SetTimer(nullptr, 0, 300, ReadTheOpenMenuThenCloseIt);
    SendMessageW(Main(), WM_KESTRIN_TRAY, 1, WM_RBUTTONUP);
    EXPECT_EQ(menuRowsSeen, (std::vector<std::wstring>{L"Show", L"-", L"Exit"}));
}

TEST(StartUpWithoutMemory, FailsAndLeavesNoIcon) {
    HWND window = nullptr;
    {
        frmMain refused(GetModuleHandleW(nullptr), kLookupUrl, kRefreshIntervalMs);
        SetAllocationHook([](std::size_t) { return false; });
        const bool loaded = refused.Load();
        SetAllocationHook(nullptr);
        window = refused.hWnd();
        EXPECT_FALSE(loaded) << "wWinMain ends with exit code 1 when start-up fails";
    }
    ASSERT_NE(window, nullptr) << "the window existed, so the icon had been added";
    EXPECT_FALSE(TrayHasIcon(window, 1)) << "the icon went with the window";
}

TEST(ShellBroadcast, IsLetThroughTheElevationFilterWhereTheFilterExistsAndSkippedWhereNot) {
    HWND window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                  nullptr, nullptr);
    const UINT taskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");
    EXPECT_TRUE(LetShellMessageThrough(window, taskbarCreated, GetModuleHandleW(L"user32.dll")));
    EXPECT_FALSE(LetShellMessageThrough(window, taskbarCreated, GetModuleHandleW(L"kernel32.dll")))
        << "a user32 without the filter, as on Windows XP and Vista";
    EXPECT_FALSE(LetShellMessageThrough(window, taskbarCreated, nullptr));
    DestroyWindow(window);
}

class WindowAtAnotherDpi : public ::testing::TestWithParam<int> {};

TEST_P(WindowAtAnotherDpi, EverythingScales) {
    if (std::getenv("KESTRIN_EXPECT_DPI")) GTEST_SKIP() << "already the child run";
    const int dpi = GetParam();
    ScopedSystemDpi systemDpi(static_cast<DWORD>(dpi));
    SetEnvironmentVariableW(L"KESTRIN_EXPECT_DPI", std::to_wstring(dpi).c_str());
    const DWORD exitCode = RunThisProgram(L"--gtest_filter=Window.*");
    SetEnvironmentVariableW(L"KESTRIN_EXPECT_DPI", nullptr);
    EXPECT_EQ(exitCode, 0u) << "the window tests failed at " << dpi << " DPI";
}

INSTANTIATE_TEST_SUITE_P(SystemDpi, WindowAtAnotherDpi, ::testing::Values(120, 144));

}  // namespace
}  // namespace kestrin::test
