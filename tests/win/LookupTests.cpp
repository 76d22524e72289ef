// The lookup cycle with the real download, files and edit boxes, against the loopback
// reply server.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Memory.h"
#include "RealLookup.h"
#include "WinTestSupport.h"

namespace kestrin::test {
namespace {

std::wstring Wide(std::string_view text) {
    return {text.begin(), text.end()};
}

// The server's replies that leave answers in the boxes, or those that must fail.
std::vector<ExpectedBoxes> Replies(bool shown) {
    std::vector<ExpectedBoxes> replies;
    for (const auto& row : kExpectedBoxes)
        if (row.shown == shown) replies.push_back(row);
    return replies;
}

std::string NameOf(const ::testing::TestParamInfo<ExpectedBoxes>& test) {
    return test.param.reply;
}

class ReplyOutcome : public RealLookup, public ::testing::WithParamInterface<ExpectedBoxes> {};

TEST_P(ReplyOutcome, BoxesShowTheRuleForTheReplyAndNoFileRemains) {
    RunCycleFor(Wide(GetParam().reply));
    EXPECT_EQ(Address(), GetParam().address);
    EXPECT_EQ(Host(), GetParam().host);
    EXPECT_TRUE(temp_.IsEmpty());
}

INSTANTIATE_TEST_SUITE_P(EveryReplyShape, ReplyOutcome, ::testing::ValuesIn(Replies(true)),
                         NameOf);

class FailedDownload : public RealLookup, public ::testing::WithParamInterface<ExpectedBoxes> {};

TEST_P(FailedDownload, KeepsTheLastAnswersAndLeavesNoFile) {
    RunCycleFor(Wide(GetParam().reply));
    EXPECT_EQ(Address(), kPrevAddress);
    EXPECT_EQ(Host(), kPrevHost);
    EXPECT_TRUE(temp_.IsEmpty());
}

INSTANTIATE_TEST_SUITE_P(HttpErrorsBrokenBodiesAndStalls, FailedDownload,
                         ::testing::ValuesIn(Replies(false)), NameOf);

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
    EXPECT_EQ(Address(), ExpectedBoxesFor("two").address);
    EXPECT_TRUE(temp_.IsEmpty());
}

TEST_F(RealLookup, TempWithCharactersOutsideTheAnsiCodePageStillWorks) {
    const std::wstring folder = temp_.path() + L"\\Z\u00fcrich-\u6771\u4eac-\u0416";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    RunCycle(ServerUrl(L"/reply/three"), folder);
    EXPECT_EQ(Address(), ExpectedBoxesFor("three").address);
    EXPECT_EQ(Host(), ExpectedBoxesFor("three").host);
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
