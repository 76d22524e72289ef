#pragma once
// One lookup cycle: fetch the service's reply into a file, show what it says, remove the
// file. The platform side is behind LookupPort so that the step order and the failure
// rules can be checked without Windows.

#include <string>

#include "Reply.h"

namespace kestrin {

inline constexpr std::wstring_view kReplyFileName = L"ipx.log";

// TEMP is used exactly as given: no separator is added or removed, and an empty TEMP
// gives a file at the root of the current drive.
std::wstring ReplyFileIn(const std::wstring& tempDir);

class LookupPort {
public:
    virtual ~LookupPort() = default;
    virtual void ForgetCachedReply(const std::wstring& url) = 0;
    // True only when the whole body of a successful reply was stored in file; on false
    // no file of this cycle remains.
    virtual bool Download(const std::wstring& url, const std::wstring& file) = 0;
    // The file's bytes; empty when it cannot be opened or read.
    virtual std::string ReadReply(const std::wstring& file) = 0;
    virtual void DeleteReply(const std::wstring& file) = 0;
    virtual void ShowAnswers(const Answers& answers) = 0;
};

class LookupCycle {
public:
    LookupCycle(std::wstring url, std::wstring tempDir);

    // Runs one cycle unless one is already running (a timer tick or a click that
    // arrives while the download waits must not share the file); returns whether it ran.
    bool Run(LookupPort& port);

private:
    std::wstring url_;
    std::wstring replyFile_;
    bool running_ = false;
};

}  // namespace kestrin
