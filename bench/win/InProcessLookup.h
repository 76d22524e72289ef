#pragma once
// Kestrin's own lookup cycle run in the bench's process, with the program's download,
// reply file and failure rules, and two edit boxes of its own for the answers: what a
// click on the refresh button costs without the window's message round trip.

#include <windows.h>

#include <string>

#include "BuildConfig.h"
#include "LookupCycle.h"
#include "LookupPortWin.h"

namespace kestrin::bench {

class InProcessLookup {
public:
    InProcessLookup(const std::wstring& url, const std::wstring& tempDir)
        : url_(url), replyFile_(ReplyFileChars(tempDir), L'\0') {
        WriteReplyFilePath(tempDir, replyFile_);
        parent_ = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr,
                                  nullptr, nullptr);
        address_ = CreateWindowExW(0, L"EDIT", L"", WS_CHILD, 0, 0, 90, 20, parent_, nullptr,
                                   nullptr, nullptr);
        host_ = CreateWindowExW(0, L"EDIT", L"", WS_CHILD, 0, 30, 90, 20, parent_, nullptr,
                                nullptr, nullptr);
    }
    ~InProcessLookup() {
        if (parent_) DestroyWindow(parent_);
    }
    InProcessLookup(const InProcessLookup&) = delete;
    InProcessLookup& operator=(const InProcessLookup&) = delete;

    bool Ready() const { return address_ && host_; }
    // A failed download keeps the boxes; emptied before a cycle, they tell whether it
    // answered.
    void EmptyBoxes() {
        SetWindowTextW(address_, L"");
        SetWindowTextW(host_, L"");
    }
    void Run() {
        LookupCycle cycle(url_.c_str(), replyFile_.c_str());
        LookupPortWin port(address_, host_, kDownloadDeadlineMs);
        cycle.Run(port);
    }
    bool Answered() const {
        return GetWindowTextLengthW(address_) > 0 && GetWindowTextLengthW(host_) > 0;
    }

private:
    std::wstring url_;
    std::wstring replyFile_;
    HWND parent_ = nullptr;
    HWND address_ = nullptr;
    HWND host_ = nullptr;
};

}  // namespace kestrin::bench
