#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "LookupCycle.h"

using kestrin::CycleOutcome;
using kestrin::LookupCycle;

namespace {

struct ShownAnswers {
    std::string address;
    std::string host;
};

// Records every platform step of a cycle, in order, as one line each.
class RecordingPort {
public:
    bool downloadSucceeds = true;
    std::optional<std::string> reply = std::string();
    std::function<void()> duringDownload;
    std::vector<std::wstring> steps;
    std::vector<ShownAnswers> shown;

    void ForgetCachedReply(const wchar_t* url) { steps.push_back(L"forget " + std::wstring(url)); }
    bool Download(const wchar_t* url, const wchar_t* file) {
        steps.push_back(L"download " + std::wstring(url) + L" -> " + file);
        if (auto once = std::exchange(duringDownload, nullptr)) once();
        return downloadSucceeds;
    }
    std::optional<std::string> ReadReply(const wchar_t* file) {
        steps.push_back(L"read " + std::wstring(file));
        return reply;
    }
    void DeleteReply(const wchar_t* file) { steps.push_back(L"delete " + std::wstring(file)); }
    void ShowAnswers(const kestrin::Answers& answers) {
        steps.push_back(L"show");
        shown.push_back({std::string(answers.address), std::string(answers.host)});
    }
};
static_assert(kestrin::LookupPort<RecordingPort>);

const std::wstring kUrl = L"http://127.0.0.1:1/cgi-bin/ipx.cgi";
const std::wstring kFile = L"C:\\T\\ipx.log";

std::wstring ReplyFileIn(std::wstring_view tempDir) {
    std::wstring path(kestrin::ReplyFileChars(tempDir), L'#');
    kestrin::WriteReplyFilePath(tempDir, path);
    EXPECT_EQ(path.back(), L'\0') << "the path ends in its NUL, exactly at the end";
    path.pop_back();
    return path;
}

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
    LookupCycle cycle(kUrl.c_str(), kFile.c_str());

    EXPECT_EQ(cycle.Run(port), CycleOutcome::Shown);

    EXPECT_EQ(port.steps, (std::vector<std::wstring>{L"forget " + kUrl,
                                                     L"download " + kUrl + L" -> " + kFile,
                                                     L"read " + kFile, L"show",
                                                     L"delete " + kFile}));
    ASSERT_EQ(port.shown.size(), 1u);
    EXPECT_EQ(port.shown[0].address, "198.51.100.2");
    EXPECT_EQ(port.shown[0].host, "host.example");
}

TEST(LookupCycle, FailedDownloadChangesNothingAndTouchesNoFile) {
    RecordingPort port;
    port.downloadSucceeds = false;
    LookupCycle cycle(kUrl.c_str(), kFile.c_str());

    EXPECT_EQ(cycle.Run(port), CycleOutcome::DownloadFailed);

    EXPECT_EQ(port.steps.size(), 2u);
    EXPECT_TRUE(port.shown.empty());
}

TEST(LookupCycle, UnreadableReplyShowsBothFallbacksAndStillDeletes) {
    RecordingPort port;  // ReadReply gives the empty text, as for a vanished file
    LookupCycle cycle(kUrl.c_str(), kFile.c_str());

    EXPECT_EQ(cycle.Run(port), CycleOutcome::Shown) << "the fallbacks are an answer";

    ASSERT_EQ(port.shown.size(), 1u);
    EXPECT_EQ(port.shown[0].address, "<unable to parse ip adress>");
    EXPECT_EQ(port.shown[0].host, "<unable to parse hostname>");
    EXPECT_EQ(port.steps.back(), L"delete " + kFile);
}

TEST(LookupCycle, NoMemoryToReadIntoKeepsTheLastAnswersAndStillDeletes) {
    RecordingPort port;
    port.reply = std::nullopt;
    LookupCycle cycle(kUrl.c_str(), kFile.c_str());

    EXPECT_EQ(cycle.Run(port), CycleOutcome::DownloadFailed);

    EXPECT_TRUE(port.shown.empty());
    EXPECT_EQ(port.steps.back(), L"delete " + kFile);
}

TEST(LookupCycle, ACycleRequestedWhileOneRunsIsSkippedAndLaterOnesRunAgain) {
    RecordingPort port;
    port.reply = "1.1.1.1\nh\n";
    LookupCycle cycle(kUrl.c_str(), kFile.c_str());
    CycleOutcome nested = CycleOutcome::Shown;
    port.duringDownload = [&] { nested = cycle.Run(port); };

    EXPECT_EQ(cycle.Run(port), CycleOutcome::Shown);
    EXPECT_EQ(nested, CycleOutcome::Skipped);
    EXPECT_EQ(port.shown.size(), 1u);

    port.downloadSucceeds = false;
    EXPECT_EQ(cycle.Run(port), CycleOutcome::DownloadFailed);
    EXPECT_EQ(cycle.Run(port), CycleOutcome::DownloadFailed)
        << "a failed cycle must not leave the guard set";
}
