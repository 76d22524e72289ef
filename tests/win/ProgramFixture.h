#pragma once
// A test that starts kestrin.exe with its own TEMP and reads it from outside.

#include <gtest/gtest.h>

#include <optional>

#include "KestrinProcess.h"
#include "WinTestSupport.h"
#include "resource.h"

namespace kestrin::test {

class ProgramFixture : public ::testing::Test {
protected:
    // Starts the program with the server answering `firstReply`; true once it shows.
    bool Start(const wchar_t* firstReply = L"two", const ProgramFile& program = kKestrinExe) {
        ChooseServerReply(firstReply);
        kestrin_.emplace(program, temp_.path());
        return kestrin_->WaitUntilShown();
    }

    bool BoxesShow(const std::wstring& address, const std::wstring& host) const {
        return kestrin_->Text(IDC_T_PUBLIC) == address && kestrin_->Text(IDC_T_HOST) == host;
    }
    // Whether the boxes show what the server's named reply leaves in them.
    bool BoxesShowAfter(std::string_view reply) const {
        const ExpectedBoxes& expected = ExpectedBoxesFor(reply);
        return BoxesShow(expected.address, expected.host);
    }
    // Waits until the server has answered `count` more lookups than now.
    bool WaitForLookups(int count) const {
        const int target = ServedLookups() + count;
        return WaitFor([&] { return ServedLookups() >= target; });
    }
    HWND Main() const { return kestrin_->window(); }
    // The reply file exists only while a cycle runs, and a timer cycle may be running
    // now: a file left behind is one still there once that cycle is surely over.
    bool NoReplyFileRemains() const {
        return WaitFor([&] { return temp_.IsEmpty(); }, 3000);
    }
    bool IconShown() const { return TrayHasIcon(kestrin_->window(), 1); }
    void ClickCloseImage() const { kestrin_->ClickCloseImage(); }
    void Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(kestrin_->window(), message, wParam, lParam, SMTO_NORMAL, 10000,
                            &ignored);
    }

    TempFolder temp_;
    std::optional<KestrinProcess> kestrin_;
};

}  // namespace kestrin::test
