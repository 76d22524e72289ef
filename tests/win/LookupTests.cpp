// The lookup cycle with the real download, files and edit boxes, against the loopback
// reply server.

#include <gtest/gtest.h>

#include "BuildConfig.h"
#include "LookupCycle.h"
#include "Memory.h"
#include "WinLookupPort.h"
#include "WinTestSupport.h"

namespace kestrin::test {
namespace {

const std::wstring kPrevAddress = L"previous address";
const std::wstring kPrevHost = L"previous host";

class RealLookup : public ::testing::Test {
protected:
    RealLookup() {
        parent_ = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr,
                                  nullptr, nullptr);
        address_ = CreateWindowExW(0, L"EDIT", kPrevAddress.c_str(), WS_CHILD, 0, 0, 90, 20,
                                   parent_, nullptr, nullptr, nullptr);
        host_ = CreateWindowExW(0, L"EDIT", kPrevHost.c_str(), WS_CHILD, 0, 30, 90, 20, parent_,
                                nullptr, nullptr, nullptr);
    }
    ~RealLookup() override { DestroyWindow(parent_); }

    void RunCycle(const std::wstring& url, const std::wstring& tempDir) {
        std::wstring replyFile(ReplyFileChars(tempDir), L'\0');
        WriteReplyFilePath(tempDir, replyFile);
        LookupCycle cycle(url.c_str(), replyFile.c_str());
        WinLookupPort port(address_, host_, kDownloadDeadlineMs);
        cycle.Run(port);
    }
    void RunCycleFor(const std::wstring& replyName) {
        RunCycle(ServerUrl(L"/reply/" + replyName), temp_.path());
    }
    std::wstring Address() const { return WindowTextOf(address_); }
    std::wstring Host() const { return WindowTextOf(host_); }

    TempFolder temp_;
    HWND parent_;
    HWND address_;
    HWND host_;
};

std::string NameOf(const wchar_t* reply) {
    std::string name;
    for (const wchar_t* c = reply; *c; ++c) name += static_cast<char>(*c);
    return name;
}

struct Outcome {
    const wchar_t* reply;
    const wchar_t* address;
    const wchar_t* host;
};

class ReplyOutcome : public RealLookup, public ::testing::WithParamInterface<Outcome> {};

TEST_P(ReplyOutcome, BoxesShowTheRuleForTheReplyAndNoFileRemains) {
    RunCycleFor(GetParam().reply);
    EXPECT_EQ(Address(), GetParam().address);
    EXPECT_EQ(Host(), GetParam().host);
    EXPECT_TRUE(temp_.IsEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    EveryReplyShape, ReplyOutcome,
    ::testing::Values(
        Outcome{L"two", L"203.0.113.7", L"host-7.example.net"},
        Outcome{L"crlf", L"198.51.100.23\r", L"host.crlf.example\r"},
        Outcome{L"crlf_last_bare", L"198.51.100.24\r", L"bare.example"},
        Outcome{L"one", L"192.0.2.1", L"<unable to parse hostname>"},
        Outcome{L"one_lf", L"192.0.2.1", L"<unable to parse hostname>"},
        Outcome{L"empty", L"<unable to parse ip adress>", L"<unable to parse hostname>"},
        Outcome{L"lead_lf", L"<unable to parse ip adress>", L"only-host.example"},
        Outcome{L"three", L"192.0.2.3", L"three.example"},
        Outcome{L"max", L"192.0.2.64", L"max.example"}),
    [](const auto& test) { return NameOf(test.param.reply); });

class FailedDownload : public RealLookup, public ::testing::WithParamInterface<const wchar_t*> {};

TEST_P(FailedDownload, KeepsTheLastAnswersAndLeavesNoFile) {
    RunCycleFor(GetParam());
    EXPECT_EQ(Address(), kPrevAddress);
    EXPECT_EQ(Host(), kPrevHost);
    EXPECT_TRUE(temp_.IsEmpty());
}

INSTANTIATE_TEST_SUITE_P(HttpErrorsAndBrokenBodies, FailedDownload,
                         ::testing::Values(L"e404", L"e500", L"oversize", L"over_by_one",
                                           L"cut"),
                         [](const auto& test) { return NameOf(test.param); });

// Refuses the allocation numbered refusedAt, counting from 1, and serves the rest.
class RefuseOneAllocation {
public:
    explicit RefuseOneAllocation(int refusedAt) {
        seen_ = 0;
        refusedAt_ = refusedAt;
        SetAllocationHook([](std::size_t) { return ++seen_ != refusedAt_; });
    }
    ~RefuseOneAllocation() { SetAllocationHook(nullptr); }
    RefuseOneAllocation(const RefuseOneAllocation&) = delete;
    RefuseOneAllocation& operator=(const RefuseOneAllocation&) = delete;

    static int Seen() { return seen_; }

private:
    static inline int seen_ = 0;
    static inline int refusedAt_ = 0;
};

TEST_F(RealLookup, EveryAllocationRefusedInTurnKeepsTheLastAnswersAndLeavesNoFile) {
    int allocations = 0;
    {
        const RefuseOneAllocation none(0);
        RunCycleFor(L"other");
        allocations = RefuseOneAllocation::Seen();
    }
    ASSERT_GT(allocations, 0);
    for (int refused = 1; refused <= allocations; ++refused) {
        SetWindowTextW(address_, kPrevAddress.c_str());
        SetWindowTextW(host_, kPrevHost.c_str());
        const RefuseOneAllocation refuse(refused);
        RunCycleFor(L"two");
        EXPECT_EQ(Address(), kPrevAddress) << "allocation " << refused << " refused";
        EXPECT_EQ(Host(), kPrevHost) << "allocation " << refused << " refused";
        EXPECT_TRUE(temp_.IsEmpty()) << "allocation " << refused << " refused";
    }
}

TEST_F(RealLookup, ClosedPortKeepsTheLastAnswersAndLeavesNoFile) {
    RunCycle(L"http://127.0.0.1:1/cgi-bin/ipx.cgi", temp_.path());
    EXPECT_EQ(Address(), kPrevAddress);
    EXPECT_TRUE(temp_.IsEmpty());
}

TEST_F(RealLookup, MissingTempFolderIsAFailedDownload) {
    RunCycle(ServerUrl(L"/reply/two"), temp_.path() + L"\\no-such-folder");
    EXPECT_EQ(Address(), kPrevAddress);
    EXPECT_EQ(Host(), kPrevHost);
    EXPECT_TRUE(temp_.IsEmpty());
}

TEST_F(RealLookup, TempEndingInBackslashStillWorks) {
    RunCycle(ServerUrl(L"/reply/two"), temp_.path() + L"\\");
    EXPECT_EQ(Address(), L"203.0.113.7");
    EXPECT_TRUE(temp_.IsEmpty());
}

TEST_F(RealLookup, TempWithCharactersOutsideTheAnsiCodePageStillWorks) {
    const std::wstring folder = temp_.path() + L"\\Z\u00fcrich-\u6771\u4eac-\u0416";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    RunCycle(ServerUrl(L"/reply/three"), folder);
    EXPECT_EQ(Address(), L"192.0.2.3");
    EXPECT_EQ(Host(), L"three.example");
    EXPECT_FALSE(FileExists(folder + L"\\ipx.log"));
    RemoveDirectoryW(folder.c_str());
}

TEST_F(RealLookup, AReplyFileHeldOpenByAnotherProgramIsAFailedDownload) {
    const std::wstring file = temp_.path() + L"\\ipx.log";
    HANDLE held = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    RunCycleFor(L"two");
    CloseHandle(held);
    EXPECT_EQ(Address(), kPrevAddress);
    EXPECT_EQ(Host(), kPrevHost);
}

}  // namespace
}  // namespace kestrin::test
