#pragma once
// A lookup cycle with the real download, files and edit boxes, run in the test's own
// process against the loopback reply server.

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "BuildConfig.h"
#include "LookupCycle.h"
#include "LookupPortWin.h"
#include "WinTestSupport.h"

namespace kestrin::test {

inline const std::wstring kPrevAddress = L"previous address";
inline const std::wstring kPrevHost = L"previous host";

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
        LookupPortWin port(address_, host_, kDownloadDeadlineMs);
        cycle.Run(port);
    }
    void RunCycleFor(const std::wstring& replyName) {
        RunCycle(ServerUrl(L"/reply/" + replyName), temp_.path());
    }
    std::wstring Address() const { return WindowTextOf(address_); }
    std::wstring Host() const { return WindowTextOf(host_); }
    bool KeptTheLastAnswers() const { return Address() == kPrevAddress && Host() == kPrevHost; }
    bool ShowsAfter(std::string_view reply) const {
        const ExpectedBoxes& expected = ExpectedBoxesFor(reply);
        return Address() == expected.address && Host() == expected.host;
    }

    TempFolder temp_;
    HWND parent_;
    HWND address_;
    HWND host_;
};

}  // namespace kestrin::test
