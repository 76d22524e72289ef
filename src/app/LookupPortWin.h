#pragma once
// The lookup cycle's platform steps done with real files, WinINet and the window's boxes.

#include <windows.h>

#include <optional>

#include "LookupCycle.h"
#include "Memory.h"

namespace kestrin {

class LookupPortWin {
public:
    LookupPortWin(HWND addressBox, HWND hostBox, unsigned deadlineMs)
        : addressBox_(addressBox), hostBox_(hostBox), deadlineMs_(deadlineMs) {}

    void ForgetCachedReply(const wchar_t* url);
    // Fetches url (HttpFetch), then writes the body to file. Unlike the platform's stock
    // URL download, an HTTP error page is a failure, not a reply.
    bool Download(const wchar_t* url, const wchar_t* file);
    std::optional<HeapArray<char>> ReadReply(const wchar_t* file);
    void DeleteReply(const wchar_t* file);
    // Both boxes change, or neither does when there is no memory for their texts.
    void ShowAnswers(const Answers& answers);

private:
    HWND addressBox_;
    HWND hostBox_;
    unsigned deadlineMs_;  // for each download, name resolution included
};
static_assert(LookupPort<LookupPortWin>);

}  // namespace kestrin
