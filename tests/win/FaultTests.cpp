// Kestrin where its surroundings fail: TEMP unset or pointing nowhere, the reply file's
// place taken, the lookup service gone and back. Every case ends in a clear, safe state:
// the program runs on with its icon, shows no message box and leaves nothing behind.

#include <gtest/gtest.h>

#include "ProgramFixture.h"

namespace kestrin::test {
namespace {

class Fault : public ProgramFixture {
protected:
    // Starts the program with TEMP set as given (or unset) and waits for its window.
    bool StartWith(std::optional<std::wstring> temp, const std::wstring& workingFolder = L"") {
        ChooseServerReply(L"two");
        kestrin_.emplace(std::move(temp), workingFolder);
        return kestrin_->WaitUntilShown();
    }
    void Refresh() const {
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(kestrin_->Control(IDC_BTN_REFRESH), BM_CLICK, 0, 0, SMTO_NORMAL,
                            30000, &ignored);
    }
    void ExpectStillRunningQuietlyWithItsIcon() const {
        EXPECT_FALSE(kestrin_->HasExited());
        EXPECT_TRUE(IconShown());
        EXPECT_EQ(kestrin_->ShownWindowOfClass(L"#32770"), nullptr) << "no message box";
    }
};

TEST_F(Fault, WithoutTempTheReplyGoesThroughTheDriveRootAndIsRemoved) {
    const std::wstring rootFile = temp_.path().substr(0, 3) + L"ipx.log";
    ASSERT_FALSE(FileExists(rootFile));
    ASSERT_TRUE(StartWith(std::nullopt, temp_.path()));
    EXPECT_TRUE(BoxesShowAfter("two"));
    EXPECT_FALSE(FileExists(rootFile));
    ExpectStillRunningQuietlyWithItsIcon();
}

TEST_F(Fault, TempNamingAMissingFolderIsAFailedLookupAndCreatesNothing) {
    const std::wstring missing = temp_.path() + L"\\missing";
    ASSERT_TRUE(StartWith(missing));
    EXPECT_TRUE(BoxesShow(L"", L""));
    EXPECT_FALSE(FileExists(missing));
    ExpectStillRunningQuietlyWithItsIcon();
}

TEST_F(Fault, TempNamingAFileIsAFailedLookupAndLeavesTheFileAlone) {
    const std::wstring file = temp_.path() + L"\\not-a-folder";
    HANDLE created = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(created, INVALID_HANDLE_VALUE);
    CloseHandle(created);
    ASSERT_TRUE(StartWith(file));
    EXPECT_TRUE(BoxesShow(L"", L""));
    EXPECT_TRUE(FileExists(file));
    ExpectStillRunningQuietlyWithItsIcon();
}

TEST_F(Fault, AFolderNamedLikeTheReplyFileBlocksLookupsUntilItGoes) {
    const std::wstring folder = temp_.path() + L"\\ipx.log";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    ASSERT_TRUE(StartWith(temp_.path()));
    EXPECT_TRUE(BoxesShow(L"", L""));
    EXPECT_TRUE(GetFileAttributesW(folder.c_str()) & FILE_ATTRIBUTE_DIRECTORY);
    ExpectStillRunningQuietlyWithItsIcon();

    RemoveDirectoryW(folder.c_str());
    Refresh();
    EXPECT_TRUE(BoxesShowAfter("two"));
    EXPECT_TRUE(NoReplyFileRemains());
}

TEST_F(Fault, AReplyFileHeldOpenElsewhereBlocksLookupsUntilItIsReleased) {
    ASSERT_TRUE(StartWith(temp_.path()));
    ChooseServerReply(L"other");
    const std::wstring file = temp_.path() + L"\\ipx.log";
    HANDLE held = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    Refresh();
    EXPECT_TRUE(BoxesShowAfter("two")) << "the last answers stay";
    ExpectStillRunningQuietlyWithItsIcon();

    CloseHandle(held);
    DeleteFileW(file.c_str());
    Refresh();
    EXPECT_TRUE(BoxesShowAfter("other"));
    EXPECT_TRUE(NoReplyFileRemains());
}

TEST_F(Fault, TheServiceGoingAwayKeepsTheLastAnswersAndItsReturnIsSeen) {
    ASSERT_TRUE(StartWith(temp_.path()));
    ChooseServerReply(L"other");
    HttpGetText(ServerUrl(L"/control/down/2500"));
    ASSERT_TRUE(HttpGetText(ServerUrl(L"/control/count")).empty()) << "the server is down";
    Refresh();
    EXPECT_TRUE(BoxesShowAfter("two"));
    ExpectStillRunningQuietlyWithItsIcon();

    ASSERT_TRUE(WaitFor([] { return !HttpGetText(ServerUrl(L"/control/count")).empty(); }));
    EXPECT_TRUE(WaitFor([&] { return BoxesShowAfter("other"); }));
    EXPECT_TRUE(NoReplyFileRemains());
}

}  // namespace
}  // namespace kestrin::test
