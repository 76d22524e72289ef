// MenuHookProc in a real hook chain, around a real popup menu. Two hooks of the test's
// own sit on either side of it: the outer one is called first and sees what MenuHookProc
// returns; the inner one is called last and sees what MenuHookProc passed on.

#include <gtest/gtest.h>

#include "WinTestSupport.h"
#include "systray.h"

namespace kestrin::test {
namespace {

constexpr LRESULT kInnerResult = 0x5EED;
constexpr UINT kProbeMessage = WM_APP + 77;

struct ChainLog {
    HHOOK inner = nullptr;
    HHOOK outer = nullptr;
    HWND firstCreated = nullptr;
    bool hookStillInstalledWhenPassedOn = false;
    HWND foregroundWhenPassedOn = nullptr;
    LRESULT outerSawForCreate = 0;
    UINT probeMessage = 0;
    WPARAM probeWParam = 0;
    LPARAM probeLParam = 0;
    LRESULT outerSawForProbe = 0;
} chain;

LRESULT CALLBACK InnerHook(int code, WPARAM wParam, LPARAM lParam) {
    const auto& sent = *reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (sent.message == WM_CREATE && !chain.firstCreated) {
        chain.firstCreated = sent.hwnd;
        chain.hookStillInstalledWhenPassedOn = hHook != nullptr;
        chain.foregroundWhenPassedOn = GetForegroundWindow();
        return kInnerResult;
    }
    if (sent.message == kProbeMessage) {
        chain.probeMessage = sent.message;
        chain.probeWParam = sent.wParam;
        chain.probeLParam = sent.lParam;
        return kInnerResult + 1;
    }
    return CallNextHookEx(chain.inner, code, wParam, lParam);
}

LRESULT CALLBACK OuterHook(int code, WPARAM wParam, LPARAM lParam) {
    const LRESULT result = CallNextHookEx(chain.outer, code, wParam, lParam);
    const auto& sent = *reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (sent.message == WM_CREATE && !chain.outerSawForCreate) chain.outerSawForCreate = result;
    if (sent.message == kProbeMessage) chain.outerSawForProbe = result;
    return result;
}

HWND MenuWindowNow = nullptr;
HWND ForegroundDuringMenu = nullptr;
HHOOK HookDuringMenu = reinterpret_cast<HHOOK>(1);

void CALLBACK LookAtTheOpenMenuThenCloseIt(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    MenuWindowNow = FindWindowW(L"#32768", nullptr);
    ForegroundDuringMenu = GetForegroundWindow();
    HookDuringMenu = hHook;
    EndMenu();
}

class MenuHook : public ::testing::Test {
protected:
    void SetUp() override {
        chain = {};
        owner_ = CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP | WS_VISIBLE, 10, 10, 50, 50,
                                 nullptr, nullptr, nullptr, nullptr);
        menu_ = CreatePopupMenu();
        AppendMenuW(menu_, MF_STRING, 1, L"Item");
    }
    void TearDown() override {
        if (chain.outer) UnhookWindowsHookEx(chain.outer);
        if (chain.inner) UnhookWindowsHookEx(chain.inner);
        DestroyMenu(menu_);
        DestroyWindow(owner_);
    }
    static HHOOK InstallTestHook(HOOKPROC procedure) {
        return SetWindowsHookExW(WH_CALLWNDPROC, procedure, nullptr, GetCurrentThreadId());
    }

    HWND owner_ = nullptr;
    HMENU menu_ = nullptr;
};

TEST_F(MenuHook, BringsTheMenuWindowToTheFrontAtItsCreationAndRemovesItself) {
    chain.inner = InstallTestHook(InnerHook);
    {
        const MenuForegroundHook hook;
        ASSERT_NE(hHook, nullptr);
        chain.outer = InstallTestHook(OuterHook);
        SetTimer(nullptr, 0, 300, LookAtTheOpenMenuThenCloseIt);
        TrackPopupMenu(menu_, TPM_RIGHTBUTTON, 100, 100, 0, owner_, nullptr);
    }
    ASSERT_NE(MenuWindowNow, nullptr);
    EXPECT_EQ(chain.firstCreated, MenuWindowNow) << "the menu's window is the first created";
    EXPECT_EQ(chain.foregroundWhenPassedOn, MenuWindowNow) << "made foreground before passing on";
    EXPECT_EQ(ForegroundDuringMenu, MenuWindowNow);
    EXPECT_TRUE(chain.hookStillInstalledWhenPassedOn) << "passed on first, removed after";
    EXPECT_EQ(chain.outerSawForCreate, kInnerResult) << "returns what the next hook returned";
    EXPECT_EQ(HookDuringMenu, nullptr) << "removed itself while the menu was open";
    EXPECT_EQ(hHook, nullptr);
}

TEST_F(MenuHook, OtherMessagesPassThroughUntouchedAndKeepTheHook) {
    chain.inner = InstallTestHook(InnerHook);
    const MenuForegroundHook hook;
    chain.outer = InstallTestHook(OuterHook);
    SendMessageW(owner_, kProbeMessage, 1234, 5678);
    EXPECT_EQ(chain.probeMessage, kProbeMessage);
    EXPECT_EQ(chain.probeWParam, 1234u);
    EXPECT_EQ(chain.probeLParam, 5678);
    EXPECT_EQ(chain.outerSawForProbe, kInnerResult + 1);
    EXPECT_NE(hHook, nullptr);
}

TEST_F(MenuHook, WhenNoWindowIsCreatedTheCallerRemovesTheHook) {
    {
        const MenuForegroundHook hook;
        EXPECT_NE(hHook, nullptr);
    }
    EXPECT_EQ(hHook, nullptr);
    chain.inner = InstallTestHook(InnerHook);
    HWND later = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                 nullptr, nullptr);
    EXPECT_EQ(chain.firstCreated, later);
    EXPECT_NE(GetForegroundWindow(), later) << "a removed hook acts no more";
    DestroyWindow(later);
}

}  // namespace
}  // namespace kestrin::test
