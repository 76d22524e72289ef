// kestrin.exe as a user meets it: started, looked at, clicked, ended. The test build
// asks the loopback reply server and refreshes every 1.5 seconds.

#include <gtest/gtest.h>

#include "ProgramFixture.h"
#include "Version.h"
#include "resource.h"

namespace kestrin::test {
namespace {

using Program = ProgramFixture;

TEST_F(Program, ShowsTheFirstLookupAndItsVersionWhenTheWindowFirstAppears) {
    ASSERT_TRUE(Start());
    EXPECT_TRUE(BoxesShowAfter("two"));
    EXPECT_EQ(kestrin_->Text(IDC_L_TEXT), L"Kestrin" + std::wstring(kVersionSuffix));
    EXPECT_EQ(kestrin_->Text(IDC_BTN_REFRESH), L"refresh now !!!");
}

TEST_F(Program, FirstWindowAppearsWithEmptyBoxesWhenTheFirstLookupFails) {
    ASSERT_TRUE(Start(L"e500"));
    EXPECT_EQ(kestrin_->Text(IDC_T_PUBLIC), L"");
    EXPECT_EQ(kestrin_->Text(IDC_T_HOST), L"");
    EXPECT_TRUE(NoReplyFileRemains());
}

TEST_F(Program, ASecondCopyEndsWithoutShowingAWindowAndLeavesTheTrayAsItWas) {
    ASSERT_TRUE(Start());
    ASSERT_TRUE(IconShown());
    TempFolder temp;
    KestrinProcess second(temp.path());
    ASSERT_TRUE(second.Started());
    EXPECT_TRUE(second.WaitForExit());
    EXPECT_EQ(second.FindMainWindow(0), nullptr) << "no window, so no icon of its own";
    EXPECT_FALSE(kestrin_->HasExited());
    EXPECT_TRUE(IconShown());
}

TEST_F(Program, ExitFromTheMenuEndsTheProgramAndRemovesItsIcon) {
    ASSERT_TRUE(Start());
    EXPECT_TRUE(IconShown());
    PostMessageW(kestrin_->window(), WM_COMMAND, IDM_EXIT, 0);
    EXPECT_TRUE(kestrin_->WaitForExit());
    EXPECT_EQ(kestrin_->ExitCode(), 0u);
    EXPECT_FALSE(IconShown());
}

TEST_F(Program, ClosingTheWindowEndsTheProgramAndRemovesItsIcon) {
    ASSERT_TRUE(Start());
    PostMessageW(kestrin_->window(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(kestrin_->WaitForExit());
    EXPECT_FALSE(IconShown());
}

TEST_F(Program, TheSessionEndingEndsTheProgramAndRemovesItsIcon) {
    ASSERT_TRUE(Start());
    Send(WM_QUERYENDSESSION);
    PostMessageW(kestrin_->window(), WM_ENDSESSION, TRUE, 0);
    EXPECT_TRUE(kestrin_->WaitForExit());
    EXPECT_FALSE(IconShown());
}

TEST_F(Program, IconComesBackWhenTheShellRecreatesTheTrayWhileHidden) {
    ASSERT_TRUE(Start());
    ClickCloseImage();
    ASSERT_TRUE(WaitFor([&] { return !IsWindowVisible(kestrin_->window()); }));
    ForgetTrayIcon(kestrin_->window(), 1);
    ASSERT_FALSE(IconShown());
    Send(RegisterWindowMessageW(L"TaskbarCreated"));
    EXPECT_TRUE(IconShown());
}

TEST_F(Program, CloseImageHidesTheWindowAndLookupsGoOnWhileHidden) {
    ASSERT_TRUE(Start());
    ClickCloseImage();
    ASSERT_TRUE(WaitFor([&] { return !IsWindowVisible(kestrin_->window()); }));

    ChooseServerReply(L"other");
    EXPECT_TRUE(WaitForLookups(2));
    EXPECT_TRUE(WaitFor([&] { return BoxesShowAfter("other"); }));
    EXPECT_FALSE(IsWindowVisible(kestrin_->window()));
    EXPECT_FALSE(kestrin_->HasExited());

    Send(WM_COMMAND, IDM_SHOW);
    EXPECT_TRUE(IsWindowVisible(kestrin_->window()));
}

TEST_F(Program, RefreshButtonIsDisabledWhileItsLookupRunsAndShowsTheNewAnswer) {
    ASSERT_TRUE(Start());
    HWND button = kestrin_->Control(IDC_BTN_REFRESH);
    ChooseServerReply(L"slow");
    // A tick may already be waiting on the slow reply; the click comes after it.
    ASSERT_TRUE(WaitFor([&] { return IsWindowEnabled(button) != FALSE; }));
    PostMessageW(button, BM_CLICK, 0, 0);
    EXPECT_TRUE(WaitFor([&] { return IsWindowEnabled(button) == FALSE; }, 5000));
    ChooseServerReply(L"crlf");
    EXPECT_TRUE(WaitFor([&] { return IsWindowEnabled(button) != FALSE; }));
    EXPECT_TRUE(WaitFor([&] { return BoxesShowAfter("crlf"); }));
}

TEST_F(Program, FailedLookupsKeepTheLastAnswersAndLeaveNoReplyFile) {
    ASSERT_TRUE(Start());
    for (const wchar_t* failure : {L"e404", L"e500", L"oversize", L"cut"}) {
        ChooseServerReply(failure);
        ASSERT_TRUE(WaitForLookups(2)) << failure;
        EXPECT_TRUE(BoxesShowAfter("two")) << failure;
        EXPECT_TRUE(NoReplyFileRemains()) << failure;
    }
    ChooseServerReply(L"one");
    EXPECT_TRUE(WaitFor([&] { return BoxesShowAfter("one"); }));
}

}  // namespace
}  // namespace kestrin::test
