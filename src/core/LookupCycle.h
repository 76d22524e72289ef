#pragma once
// One lookup cycle: fetch the service's reply into a file, show what it says, remove the
// file. The platform side is a port, so that the step order and the failure rules can be
// checked without Windows.

#include <concepts>
#include <cstddef>
#include <optional>
#include <span>
#include <string_view>

#include "Reply.h"

namespace kestrin {

inline constexpr std::wstring_view kReplyFileName = L"ipx.log";

// Characters of the reply file's path in tempDir, its closing NUL included.
constexpr std::size_t ReplyFileChars(std::wstring_view tempDir) noexcept {
    return tempDir.size() + 1 + kReplyFileName.size() + 1;
}

// Writes tempDir, a backslash, the file name and a NUL into out, which holds
// ReplyFileChars(tempDir) characters. TEMP is used exactly as given: no separator is added
// or removed, and an empty TEMP gives a file at the root of the current drive.
void WriteReplyFilePath(std::wstring_view tempDir, std::span<wchar_t> out) noexcept;

// The platform steps of a cycle. ReadReply gives the file's bytes (empty when the file
// cannot be opened or read) in anything that views as text, or nothing when there is no
// memory to read it into.
template <typename Port>
concept LookupPort = requires(Port& port, const wchar_t* text, const Answers& answers) {
    port.ForgetCachedReply(text);
    // True only when the whole body of a successful reply was stored in the file; on
    // false no file of this cycle remains.
    { port.Download(text, text) } -> std::same_as<bool>;
    { *port.ReadReply(text) } -> std::convertible_to<std::string_view>;
    port.DeleteReply(text);
    port.ShowAnswers(answers);
};

// How a cycle ended: skipped (another one was running), its download failed (the last
// answers stay), or the reply was shown.
enum class CycleOutcome { Skipped, DownloadFailed, Shown };

class LookupCycle {
public:
    // Both texts are NUL-terminated and outlive the cycle.
    LookupCycle(const wchar_t* url, const wchar_t* replyFile) noexcept
        : url_(url), replyFile_(replyFile) {}

    // Runs one cycle unless one is already running (a timer tick or a click that
    // arrives while the download waits must not share the file).
    template <LookupPort Port>
    CycleOutcome Run(Port& port);

private:
    CycleOutcome RunSteps(auto& port);

    const wchar_t* url_;
    const wchar_t* replyFile_;
    bool running_ = false;
};

template <LookupPort Port>
CycleOutcome LookupCycle::Run(Port& port) {
    if (running_) return CycleOutcome::Skipped;
    running_ = true;
    const CycleOutcome outcome = RunSteps(port);
    running_ = false;
    return outcome;
}

CycleOutcome LookupCycle::RunSteps(auto& port) {
    port.ForgetCachedReply(url_);
    if (!port.Download(url_, replyFile_)) return CycleOutcome::DownloadFailed;
    // No memory to read into counts as a failed download: the last answers stay.
    const auto reply = port.ReadReply(replyFile_);
    if (reply) port.ShowAnswers(AnswersFromReply(std::string_view(*reply)));
    port.DeleteReply(replyFile_);
    return reply ? CycleOutcome::Shown : CycleOutcome::DownloadFailed;
}

}  // namespace kestrin
