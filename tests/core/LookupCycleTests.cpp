#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "LookupCycle.h"

using kestrin::Answers;
using kestrin::LookupCycle;
using kestrin::LookupPort;
using kestrin::ReplyFileIn;

namespace {

// Records every platform step of a cycle, in order, as one line each.
class RecordingPort : public LookupPort {
public:
    bool downloadSucceeds = true;
    std::string reply;
    std::function<void()> duringDownload;
    std::vector<std::wstring> steps;
    std::vector<Answers> shown;

    void ForgetCachedReply(const std::wstring& url) override { steps.push_back(L"forget " + url); }
    bool Download(const std::wstring& url, const std::wstring& file) override {
        steps.push_back(L"download " + url + L" -> " + file);
        if (auto once = std::exchange(duringDownload, nullptr)) once();
        return downloadSucceeds;
    }
    std::string ReadReply(const std::wstring& file) override {
        steps.push_back(L"read " + file);
        return reply;
    }
    void DeleteReply(const std::wstring& file) override { steps.push_back(L"delete " + file); }
    void ShowAnswers(const Answers& answers) override {
        steps.push_back(L"show");
        shown.push_back(answers);
    }
};

const std::wstring kUrl = L"http://127.0.0.1:1/cgi-bin/ipx.cgi";

}  // namespace

TEST(ReplyFile, IsTempFollowedByBackslashAndNameWithNothingAddedOrRemoved) {
    EXPECT_EQ(ReplyFileIn(L"C:\\Temp"), L"C:\\Temp\\ipx.log");
    EXPECT_EQ(ReplyFileIn(L"C:\\Temp\\"), L"C:\\Temp\\\\ipx.log");
    EXPECT_EQ(ReplyFileIn(L""), L"\\ipx.log");
    EXPECT_EQ(ReplyFileIn(L"C:\\Temp\u00e9\u4e2d"), L"C:\\Temp\u00e9\u4e2d\\ipx.log");
}

TEST(LookupCycle, SuccessfulDownloadIsReadShownAndDeletedInThatOrder) {
    RecordingPort port;
    port.reply = "198.51.100.2\nhost.example\n";
    LookupCycle cycle(kUrl, L"C:\\T");

    EXPECT_TRUE(cycle.Run(port));

    const std::wstring file = L"C:\\T\\ipx.log";
    EXPECT_EQ(port.steps, (std::vector<std::wstring>{L"forget " + kUrl,
                                                     L"download " + kUrl + L" -> " + file,
                                                     L"read " + file, L"show",
                                                     L"delete " + file}));
    ASSERT_EQ(port.shown.size(), 1u);
    EXPECT_EQ(port.shown[0].address, "198.51.100.2");
    EXPECT_EQ(port.shown[0].host, "host.example");
}

TEST(LookupCycle, FailedDownloadChangesNothingAndTouchesNoFile) {
    RecordingPort port;
    port.downloadSucceeds = false;
    LookupCycle cycle(kUrl, L"C:\\T");

    cycle.Run(port);

    EXPECT_EQ(port.steps.size(), 2u);
    EXPECT_TRUE(port.shown.empty());
}

TEST(LookupCycle, UnreadableReplyShowsBothFallbacksAndStillDeletes) {
    RecordingPort port;  // ReadReply gives the empty text, as for a vanished file
    LookupCycle cycle(kUrl, L"C:\\T");

    cycle.Run(port);

    ASSERT_EQ(port.shown.size(), 1u);
    EXPECT_EQ(port.shown[0].address, "<unable to parse ip adress>");
    EXPECT_EQ(port.shown[0].host, "<unable to parse hostname>");
    EXPECT_EQ(port.steps.back(), L"delete C:\\T\\ipx.log");
}

TEST(LookupCycle, ACycleRequestedWhileOneRunsIsSkippedAndLaterOnesRunAgain) {
    RecordingPort port;
    port.reply = "1.1.1.1\nh\n";
    LookupCycle cycle(kUrl, L"C:\\T");
    bool nestedRan = true;
    port.duringDownload = [&] { nestedRan = cycle.Run(port); };

    EXPECT_TRUE(cycle.Run(port));
    EXPECT_FALSE(nestedRan);
    EXPECT_EQ(port.shown.size(), 1u);

    port.downloadSucceeds = false;
    EXPECT_TRUE(cycle.Run(port));
    EXPECT_TRUE(cycle.Run(port)) << "a failed cycle must not leave the guard set";
}
