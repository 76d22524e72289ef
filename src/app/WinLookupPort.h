#pragma once
// The lookup cycle's platform steps done with real files, WinINet and the window's boxes.

#include <windows.h>

#include "LookupCycle.h"

namespace kestrin {

class WinLookupPort final : public LookupPort {
public:
    WinLookupPort(HWND addressBox, HWND hostBox) : addressBox_(addressBox), hostBox_(hostBox) {}

    void ForgetCachedReply(const std::wstring& url) override;
    bool Download(const std::wstring& url, const std::wstring& file) override;
    std::string ReadReply(const std::wstring& file) override;
    void DeleteReply(const std::wstring& file) override;
    void ShowAnswers(const Answers& answers) override;

private:
    HWND addressBox_;
    HWND hostBox_;
};

}  // namespace kestrin
