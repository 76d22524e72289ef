// kestrin.exe against a lookup service that stalls: every cycle ends at the download
// deadline (the test build's kDownloadDeadlineMs), the window answers again straight
// after, and the program can always be ended.

#include <gtest/gtest.h>

#include "BuildConfig.h"
#include "ProgramFixture.h"

namespace kestrin::test {
namespace {

// Room for a busy machine around the deadline; a hang would overrun it by far.
constexpr DWORD kMarginMs = 1500;

ULONGLONG MillisecondsSince(ULONGLONG start) {
    return GetTickCount64() - start;
}

using Stall = ProgramFixture;

class StalledService : public ProgramFixture,
                       public ::testing::WithParamInterface<const wchar_t*> {
protected:
    bool AnswersWithin(DWORD milliseconds) const {
        DWORD_PTR ignored = 0;
        return SendMessageTimeoutW(Main(), WM_NULL, 0, 0, SMTO_NORMAL, milliseconds, &ignored) != 0;
    }
};

TEST_P(StalledService, EachCycleEndsAtTheDeadlineKeepingTheAnswersAndTheWindowAnswersAgain) {
    ASSERT_TRUE(Start());
    HWND button = kestrin_->Control(IDC_BTN_REFRESH);
    ChooseServerReply(GetParam());

    // The click waits for a timer cycle that may be running, then runs its own.
    const ULONGLONG start = GetTickCount64();
    DWORD_PTR ignored = 0;
    ASSERT_TRUE(SendMessageTimeoutW(button, BM_CLICK, 0, 0, SMTO_NORMAL, 60000, &ignored));
    const ULONGLONG took = MillisecondsSince(start);
    EXPECT_GE(took + 100, kDownloadDeadlineMs) << "the click's own cycle waited for the deadline";
    EXPECT_LE(took, 2 * kDownloadDeadlineMs + kMarginMs);

    for (int probe = 0; probe < 3; ++probe) {
        EXPECT_TRUE(AnswersWithin(kDownloadDeadlineMs + kMarginMs)) << "probe " << probe;
        Sleep(300);
    }
    EXPECT_TRUE(IsWindowEnabled(button));
    EXPECT_TRUE(BoxesShowAfter("two"));
    EXPECT_TRUE(NoReplyFileRemains());

    ChooseServerReply(L"other");
    EXPECT_TRUE(WaitFor([&] { return BoxesShowAfter("other"); }));
}

INSTANTIATE_TEST_SUITE_P(NoAnswerAStallAfterTheHeadersOrATrickle, StalledService,
                         ::testing::Values(L"hang", L"stall", L"trickle"),
                         [](const auto& test) {
                             std::string name;
                             for (const wchar_t* c = test.param; *c; ++c)
                                 name += static_cast<char>(*c);
                             return name;
                         });

TEST_F(Stall, StartUpShowsTheWindowWithEmptyBoxesOnceTheDeadlineHasPassed) {
    const ULONGLONG start = GetTickCount64();
    ASSERT_TRUE(Start(L"hang"));
    EXPECT_GE(MillisecondsSince(start) + 100, kDownloadDeadlineMs) << "the first lookup comes first";
    EXPECT_EQ(kestrin_->Text(IDC_T_PUBLIC), L"");
    EXPECT_EQ(kestrin_->Text(IDC_T_HOST), L"");
    EXPECT_TRUE(NoReplyFileRemains());
}

// Posted while a lookup waits on the service: each takes effect once the wait ends.
class EndedDuringAStall : public ProgramFixture,
                          public ::testing::WithParamInterface<std::pair<UINT, WPARAM>> {};

TEST_P(EndedDuringAStall, EndsSoonAfterTheDeadlineWithoutIconOrFile) {
    ASSERT_TRUE(Start());
    ChooseServerReply(L"hang");
    ASSERT_TRUE(WaitForLookups(1)) << "a cycle now waits on the service";
    const auto [message, wParam] = GetParam();
    PostMessageW(Main(), message, wParam, 0);
    EXPECT_TRUE(kestrin_->WaitForExit(kDownloadDeadlineMs + kMarginMs + 3000));
    EXPECT_EQ(kestrin_->ExitCode(), 0u);
    EXPECT_FALSE(IconShown());
    EXPECT_TRUE(temp_.IsEmpty());
}

INSTANTIATE_TEST_SUITE_P(CloseAndExit, EndedDuringAStall,
                         ::testing::Values(std::pair<UINT, WPARAM>{WM_CLOSE, 0},
                                           std::pair<UINT, WPARAM>{WM_COMMAND, IDM_EXIT}),
                         [](const auto& test) {
                             return std::string(test.param.first == WM_CLOSE ? "Close" : "Exit");
                         });

}  // namespace
}  // namespace kestrin::test
