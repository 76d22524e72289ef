// Thousands of lookup cycles against a server that answers at random, stalls included,
// with resumes and address changes now and then between them, whose lookups and retries
// come on their own: after every cycle the boxes hold exactly what the rules say, no
// reply file remains, and the program's GDI, USER and kernel objects and its threads do
// not grow.
// KESTRIN_SOAK_CYCLES sets the count.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <random>
#include <sstream>
#include <vector>

#include "BuildConfig.h"
#include "ProgramFixture.h"

namespace kestrin::test {
namespace {

std::vector<std::string> RepliesServedSince(std::size_t first) {
    std::istringstream lines(HttpGetText(ServerUrl(L"/control/log/" + std::to_wstring(first))));
    std::vector<std::string> names;
    for (std::string name; std::getline(lines, name);) names.push_back(name);
    return names;
}

// Now and then, at random, what the computer tells the program on waking or when its
// addresses change (the test build signals its own address-change event on a message).
void MaybeNetworkEvent(HWND window, std::minstd_rand& chance) {
    switch (chance() % 8) {
    case 0:
        PostMessageW(window, WM_POWERBROADCAST, 0x12, 0);  // PBT_APMRESUMEAUTOMATIC
        break;
    case 1:
        PostMessageW(window, WM_POWERBROADCAST, 0x7, 0);  // PBT_APMRESUMESUSPEND
        break;
    case 2:
        PostMessageW(window, WM_KESTRIN_TEST_SIGNAL_ADDRESS_EVENT, 0, 0);
        break;
    default:
        break;
    }
}

int SoakCycles() {
    const char* count = std::getenv("KESTRIN_SOAK_CYCLES");
    return count ? std::atoi(count) : 300;
}

class Soak : public ProgramFixture {
protected:
    // Wine opens a registry key or a socket now and then for a moment: the least of a few
    // counts taken between cycles is what the program keeps.
    KestrinProcess::Resources SteadyResources() const {
        auto least = kestrin_->CountResources();
        for (int sample = 0; sample < 4; ++sample) {
            Sleep(100);
            Send(WM_NULL);
            const auto now = kestrin_->CountResources();
            least.handles = std::min(least.handles, now.handles);
            least.windows = std::min(least.windows, now.windows);
            least.threads = std::min(least.threads, now.threads);
        }
        return least;
    }
};

TEST_F(Soak, BoxesFollowTheRulesAndNothingGrowsOverManyRandomCycles) {
    ASSERT_TRUE(Start(L"two"));
    HWND button = kestrin_->Control(IDC_BTN_REFRESH);
    const ExpectedBoxes* expected = &ExpectedBoxesFor("two");
    std::size_t served = RepliesServedSince(0).size();
    ChooseServerReply(L"random:2026");

    KestrinProcess::Resources settled{};
    std::minstd_rand chance(2026);
    const int cycles = SoakCycles();
    for (int cycle = 1; cycle <= cycles; ++cycle) {
        MaybeNetworkEvent(Main(), chance);
        DWORD_PTR ignored = 0;
        // Returns once the click's whole cycle has run; timer cycles may come between.
        ASSERT_TRUE(SendMessageTimeoutW(button, BM_CLICK, 0, 0, SMTO_NORMAL, 30000, &ignored));
        // The boxes are compared once no cycle is running and none has asked since.
        std::wstring address;
        std::wstring host;
        for (auto names = RepliesServedSince(served); !names.empty();
             names = RepliesServedSince(served)) {
            for (const auto& name : names) {
                // A reply that fails leaves the boxes as they were.
                if (const ExpectedBoxes& after = ExpectedBoxesFor(name); after.shown) expected = &after;
                ++served;
            }
            Send(WM_NULL);
            address = kestrin_->Text(IDC_T_PUBLIC);
            host = kestrin_->Text(IDC_T_HOST);
        }
        ASSERT_EQ(address, expected->address) << "cycle " << cycle;
        ASSERT_EQ(host, expected->host) << "cycle " << cycle;
        ASSERT_TRUE(NoReplyFileRemains()) << "cycle " << cycle;
        if (cycle == 20) settled = SteadyResources();
    }
    // An abandoned worker ends once its socket wait times out, a deadline after it began.
    ChooseServerReply(L"two");
    Sleep(3 * kDownloadDeadlineMs);
    const auto end = SteadyResources();
    EXPECT_EQ(end.gdi, settled.gdi);
    EXPECT_EQ(end.user, settled.user);
    // Wine gives a thread an event of its own at its first socket call and keeps it until
    // the thread ends; whether the window's thread makes one while it abandons a download
    // is a race, so that event may first appear at any cycle. It is one handle, not growth.
    constexpr DWORD kWinePerThreadSocketEvent = 1;
    EXPECT_LE(end.handles, settled.handles + kWinePerThreadSocketEvent);
    EXPECT_GT(settled.handles, 0u) << "the count must see the program's own handles";
    EXPECT_EQ(end.windows, settled.windows);
    EXPECT_LE(end.threads, settled.threads) << "abandoned download workers must not pile up";
    EXPECT_EQ(kestrin_->ShownWindowOfClass(L"#32770"), nullptr) << "no message box";
}

}  // namespace
}  // namespace kestrin::test
