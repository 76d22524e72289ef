#include "LookupCycle.h"

namespace kestrin {

std::wstring ReplyFileIn(const std::wstring& tempDir) {
    return tempDir + L"\\" + std::wstring(kReplyFileName);
}

LookupCycle::LookupCycle(std::wstring url, std::wstring tempDir)
    : url_(std::move(url)), replyFile_(ReplyFileIn(tempDir)) {}

bool LookupCycle::Run(LookupPort& port) {
    if (running_) return false;
    running_ = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{running_};

    port.ForgetCachedReply(url_);
    if (!port.Download(url_, replyFile_)) return true;
    // An unreadable file reads as an empty reply: both fallback texts go up.
    port.ShowAnswers(AnswersFromReply(port.ReadReply(replyFile_)));
    port.DeleteReply(replyFile_);
    return true;
}

}  // namespace kestrin
