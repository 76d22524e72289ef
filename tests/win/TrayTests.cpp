// The notification icon and the window used with a real mouse and keyboard, on Wine's
// stand-alone tray.

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>

#include "ProgramFixture.h"
#include "SyntheticInput.h"
#include "resource.h"

namespace kestrin::test {
namespace {

class Tray : public ProgramFixture {
protected:
    void SetUp() override {
        ASSERT_TRUE(Start());
        ASSERT_TRUE(FirstTrayIconCentre(icon_));
    }

    // The program's popup menu while it is open, else nullptr.
    HWND OpenMenu() const { return kestrin_->ShownWindowOfClass(L"#32768"); }
    bool WaitForMenu() const { return WaitFor([&] { return OpenMenu() != nullptr; }, 5000); }
    bool WaitForNoMenu() const { return WaitFor([&] { return OpenMenu() == nullptr; }, 5000); }
    // Right-clicks the icon and chooses Exit; true once the menu opened.
    bool ChooseExitFromTheMenu() const {
        Click(icon_, Button::Right);
        if (!WaitForMenu()) return false;
        PressKey(VK_UP);  // the last row: Exit
        PressKey(VK_RETURN);
        return true;
    }
    void Hide() const {
        ClickCloseImage();
        ASSERT_TRUE(WaitFor([&] { return !IsWindowVisible(Main()); }));
    }
    // A point of the window's inner area on the screen.
    POINT OnWindow(int x, int y) const {
        POINT point{x, y};
        ClientToScreen(Main(), &point);
        return point;
    }
    POINT WindowPlace() const {
        RECT place;
        GetWindowRect(Main(), &place);
        return {place.left, place.top};
    }
    // Presses `button` at (x, y) of the window, drags by (dx, dy) in steps, releases.
    void Drag(int x, int y, int dx, int dy, Button button = Button::Left) const {
        const POINT start = OnWindow(x, y);
        MovePointerTo(start);
        Press(button);
        WaitUntilTakenIn();
        // The move loop takes its starting point as it begins, which Wine may do after
        // the answers above; moves before that would be lost. Where the press starts no
        // loop, the wait only ends.
        WaitFor([&] { return InMoveLoop(); }, 500);
        for (int step = 1; step <= 4; ++step) {
            MovePointerTo({start.x + dx * step / 4, start.y + dy * step / 4});
            WaitUntilTakenIn();
        }
        Release(button);
        MovePointerTo({start.x + dx + 25, start.y + dy + 25});
        WaitUntilSettled();
    }
    // The program takes a sent message only between the input it reads, in its own loop
    // or a move loop alike: the second answer comes once it has read what came before.
    void WaitUntilTakenIn() const {
        Send(WM_NULL);
        Send(WM_NULL);
    }
    bool InMoveLoop() const {
        GUITHREADINFO state{};
        state.cbSize = sizeof state;
        const DWORD thread = GetWindowThreadProcessId(Main(), nullptr);
        return GetGUIThreadInfo(thread, &state) && (state.flags & GUI_INMOVESIZE) != 0;
    }
    // Until the program has answered after the last input and runs no move loop.
    void WaitUntilSettled() const {
        Send(WM_NULL);
        ASSERT_TRUE(WaitFor([&] { return !InMoveLoop(); }));
        Send(WM_NULL);
    }

    POINT icon_{};
};

TEST_F(Tray, DoubleClickShowsAndActivatesTheHiddenWindow) {
    Hide();
    DoubleClick(icon_);
    EXPECT_TRUE(WaitFor([&] { return IsWindowVisible(Main()) != FALSE; }));
    EXPECT_TRUE(WaitFor([&] { return GetForegroundWindow() == Main(); }));
}

TEST_F(Tray, DoubleClickBringsAnAlreadyShownWindowToTheFront) {
    HWND other = CreateWindowExW(0, L"STATIC", L"another program", WS_POPUP | WS_VISIBLE, 0,
                                 300, 200, 100, nullptr, nullptr, nullptr, nullptr);
    SetForegroundWindow(other);
    ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == other; }));
    DoubleClick(icon_);
    EXPECT_TRUE(WaitFor([&] { return GetForegroundWindow() == Main(); }));
    DestroyWindow(other);
}

TEST_F(Tray, RightClickOpensTheMenuInFrontAndEscapeClosesIt) {
    Click(icon_, Button::Right);
    ASSERT_TRUE(WaitForMenu());
    EXPECT_TRUE(WaitFor([&] { return GetForegroundWindow() == OpenMenu(); }));
    PressKey(VK_ESCAPE);
    EXPECT_TRUE(WaitForNoMenu());
    EXPECT_FALSE(kestrin_->HasExited());
}

TEST_F(Tray, AClickElsewhereClosesTheMenu) {
    Click(icon_, Button::Right);
    ASSERT_TRUE(WaitForMenu());
    // A click before the menu's loop has taken the foreground goes to the desktop behind,
    // as a person's never does; on a loaded machine the menu shows that much earlier.
    ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == OpenMenu(); }));
    // A corner of the screen that neither the menu nor the window covers: the menu opens
    // by the icon, wherever the tray has put it.
    RECT menu{}, window{};
    GetWindowRect(OpenMenu(), &menu);
    GetWindowRect(Main(), &window);
    const int right = GetSystemMetrics(SM_CXSCREEN) - 20;
    const int bottom = GetSystemMetrics(SM_CYSCREEN) - 20;
    const POINT corners[] = {{right, bottom}, {20, bottom}, {right, 20}, {20, 20}};
    const POINT* elsewhere = std::find_if(std::begin(corners), std::end(corners), [&](POINT p) {
        return !PtInRect(&menu, p) && !PtInRect(&window, p);
    });
    ASSERT_NE(elsewhere, std::end(corners));
    Click(*elsewhere);
    EXPECT_TRUE(WaitForNoMenu());
}

TEST_F(Tray, ShowFromTheMenuShowsTheHiddenWindow) {
    Hide();
    Click(icon_, Button::Right);
    ASSERT_TRUE(WaitForMenu());
    PressKey(VK_DOWN);  // the first row: Show
    PressKey(VK_RETURN);
    EXPECT_TRUE(WaitFor([&] { return IsWindowVisible(Main()) != FALSE; }));
}

TEST_F(Tray, ExitFromTheMenuEndsTheProgramAndRemovesTheIcon) {
    ASSERT_TRUE(ChooseExitFromTheMenu());
    EXPECT_TRUE(kestrin_->WaitForExit());
    EXPECT_FALSE(IconShown());
}

// The lookup a resume asks for, and its retries while the service fails, are timers of
// the window's: the menu, a drag and Exit go on as ever meanwhile.
TEST_F(Tray, MenuDragAndExitWorkWhileAResumesLookupOrItsRetryIsPending) {
    ChooseServerReply(L"e500");
    Send(WM_POWERBROADCAST, 0x12);  // PBT_APMRESUMEAUTOMATIC
    Click(icon_, Button::Right);
    ASSERT_TRUE(WaitForMenu());
    PressKey(VK_ESCAPE);
    EXPECT_TRUE(WaitForNoMenu());
    const POINT before = WindowPlace();
    Drag(200, 10, 40, 30);
    EXPECT_EQ(WindowPlace().x - before.x, 40);
    EXPECT_EQ(WindowPlace().y - before.y, 30);

    Sleep(3500);  // past the quiet period: the failed lookup's retry is pending
    ASSERT_TRUE(ChooseExitFromTheMenu());
    EXPECT_TRUE(kestrin_->WaitForExit());
    EXPECT_FALSE(IconShown());
}

TEST_F(Tray, OnlyDoubleClickAndRightReleaseActAmongTheIconsMouseMessages) {
    Hide();
    for (UINT message = 0x200; message <= 0x209; ++message) {
        if (message == 0x203 || message == 0x205) continue;
        Send(WM_KESTRIN_TRAY, 1, static_cast<LPARAM>(message));
        EXPECT_FALSE(IsWindowVisible(Main())) << "message 0x" << std::hex << message;
        EXPECT_EQ(OpenMenu(), nullptr) << "message 0x" << std::hex << message;
    }
    PostMessageW(Main(), WM_KESTRIN_TRAY, 1, 0x205);
    ASSERT_TRUE(WaitForMenu());
    PressKey(VK_ESCAPE);
    ASSERT_TRUE(WaitForNoMenu());
    EXPECT_FALSE(IsWindowVisible(Main()));
    Send(WM_KESTRIN_TRAY, 1, 0x203);
    EXPECT_TRUE(IsWindowVisible(Main()));
}

TEST_F(Tray, CallbacksOnAForgottenIconNeitherFailNorAddItBack) {
    ForgetTrayIcon(Main(), 1);
    for (int i = 0; i < 5; ++i) Send(WM_KESTRIN_TRAY, 1, WM_MOUSEMOVE);
    EXPECT_FALSE(IconShown());
    EXPECT_FALSE(kestrin_->HasExited());
}

TEST_F(Tray, PointerMovementOverTheBareWindowDoesNothing) {
    const POINT before = WindowPlace();
    for (int x = 0; x < 411; x += 3) MovePointerTo(OnWindow(x, 45));
    for (int x = 0; x < 411; x += 3) MovePointerTo(OnWindow(x, 138));
    WaitUntilSettled();
    EXPECT_EQ(OpenMenu(), nullptr);
    EXPECT_EQ(WindowPlace().x, before.x);
    EXPECT_TRUE(IsWindowVisible(Main()));
}

TEST_F(Tray, StripsIconAndLabelMoveTheWindowByThePointersTravel) {
    const struct {
        const char* what;
        int x;
        int y;
    } handles[] = {{"l_top", 200, 10}, {"l_bottom", 200, 160}, {"l_ico", 12, 12},
                   {"l_text", 100, 12}};
    for (const auto& handle : handles) {
        const POINT before = WindowPlace();
        Drag(handle.x, handle.y, 40, 30);
        const POINT after = WindowPlace();
        EXPECT_EQ(after.x - before.x, 40) << handle.what;
        EXPECT_EQ(after.y - before.y, 30) << handle.what;
    }
}

TEST_F(Tray, NoOtherPartOfTheWindowMovesIt) {
    const struct {
        const char* what;
        int x;
        int y;
    } others[] = {{"t_public", 100, 65}, {"t_host", 100, 121}, {"Frm1", 20, 45},
                  {"Frm2", 290, 100}, {"btn_refresh", 330, 92}, {"background", 305, 45}};
    for (const auto& other : others) {
        const POINT before = WindowPlace();
        Drag(other.x, other.y, 40, 30);
        const POINT after = WindowPlace();
        EXPECT_EQ(after.x, before.x) << other.what;
        EXPECT_EQ(after.y, before.y) << other.what;
    }
}

TEST_F(Tray, ARightPressOnAStripLeavesTheWindowInPlace) {
    const POINT before = WindowPlace();
    Drag(200, 10, 40, 30, Button::Right);
    Drag(200, 160, 40, 30, Button::Right);
    const POINT after = WindowPlace();
    EXPECT_EQ(after.x, before.x);
    EXPECT_EQ(after.y, before.y);
}

}  // namespace
}  // namespace kestrin::test
