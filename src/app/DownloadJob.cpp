#include "DownloadJob.h"

#include <iterator>
#include <new>
#include <optional>

#include "Reply.h"
#include "Version.h"

namespace kestrin {
namespace {

std::optional<DWORD> NumericHeader(HINTERNET request, DWORD query) {
    DWORD value = 0;
    DWORD size = sizeof value;
    if (!HttpQueryInfoW(request, query | HTTP_QUERY_FLAG_NUMBER, &value, &size, nullptr))
        return std::nullopt;
    return value;
}

bool HasSuccessStatus(HINTERNET request) {
    const auto status = NumericHeader(request, HTTP_QUERY_STATUS_CODE);
    return status && *status >= 200 && *status < 300;
}

// WinINet's own waits end by the deadline too, so an abandoned worker does not linger:
// closing a handle does not wake a call blocked on its socket everywhere (Wine's does
// not). Set on the connection, as not every WinINet passes a session's values down.
void LimitWaits(HINTERNET connection, DWORD milliseconds) {
    for (int option : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT,
                       INTERNET_OPTION_RECEIVE_TIMEOUT}) {
        // result ignored: the deadline holds without it
        InternetSetOptionW(connection, static_cast<DWORD>(option), &milliseconds,
                           sizeof milliseconds);
    }
}

HeapArray<wchar_t> CopyOf(const wchar_t* text) {
    std::size_t length = 0;
    while (text[length]) ++length;
    HeapArray<wchar_t> copy(length + 1);
    if (copy) CopyMemory(copy.data(), text, (length + 1) * sizeof(wchar_t));
    return copy;
}

}  // namespace

HeapArray<char> DownloadJob::Fetch(const wchar_t* url, DWORD deadlineMs) noexcept {
    DownloadJob* job = Start(url, deadlineMs);
    if (!job) return {};
    HeapArray<char> body = job->Finish();
    job->Release();
    return body;
}

DownloadJob* DownloadJob::Start(const wchar_t* url, DWORD deadlineMs) noexcept {
    HeapArray<wchar_t> ownUrl = CopyOf(url);
    void* memory = ownUrl ? AllocateBytes(sizeof(DownloadJob)) : nullptr;
    if (!memory) return nullptr;
    auto* job = new (memory) DownloadJob(std::move(ownUrl), deadlineMs);
    HANDLE thread = job->done_ ? CreateThread(nullptr, 0, Worker, job, 0, nullptr) : nullptr;
    if (!thread) {
        job->shares_ = 1;
        job->Release();
        return nullptr;
    }
    CloseHandle(thread);  // the thread runs on; the job is how the two meet
    return job;
}

DownloadJob::DownloadJob(HeapArray<wchar_t> url, DWORD deadlineMs) noexcept
    : url_(std::move(url)),
      deadlineMs_(deadlineMs),
      startTick_(GetTickCount()),
      done_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
    InitializeCriticalSection(&lock_);
}

DownloadJob::~DownloadJob() {
    DeleteCriticalSection(&lock_);
    if (done_) CloseHandle(done_);
}

void DownloadJob::Release() noexcept {
    if (InterlockedDecrement(&shares_) != 0) return;
    this->~DownloadJob();
    FreeBytes(this);
}

DWORD WINAPI DownloadJob::Worker(void* job) {
    auto* self = static_cast<DownloadJob*>(job);
    self->FetchBody();
    self->CloseHandles(false);
    SetEvent(self->done_);
    self->Release();
    return 0;
}

DWORD DownloadJob::MillisecondsLeft() const noexcept {
    const DWORD spent = GetTickCount() - startTick_;  // unsigned: right across the wrap
    return spent < deadlineMs_ ? deadlineMs_ - spent : 0;
}

HeapArray<char> DownloadJob::Finish() noexcept {
    if (WaitForSingleObject(done_, MillisecondsLeft()) == WAIT_OBJECT_0) return std::move(body_);
    CloseHandles(true);
    return {};
}

bool DownloadJob::Keep(HINTERNET& slot, HINTERNET handle) noexcept {
    EnterCriticalSection(&lock_);
    const bool kept = !abandoned_;
    if (kept) slot = handle;
    LeaveCriticalSection(&lock_);
    if (!kept) InternetCloseHandle(handle);
    return kept;
}

bool DownloadJob::ShouldStop() noexcept {
    EnterCriticalSection(&lock_);
    const bool stop = abandoned_;
    LeaveCriticalSection(&lock_);
    return stop || MillisecondsLeft() == 0;
}

// Each handle is closed exactly once, by whichever thread gets here first.
void DownloadJob::CloseHandles(bool abandon) noexcept {
    EnterCriticalSection(&lock_);
    if (abandon) abandoned_ = true;
    for (HINTERNET* handle : {&request_, &connection_, &session_}) {
        if (*handle) InternetCloseHandle(*handle);
        *handle = nullptr;
    }
    LeaveCriticalSection(&lock_);
}

// The handles it keeps are closed by the worker as it ends, or by an abandoning Finish.
void DownloadJob::FetchBody() noexcept {
    wchar_t host[INTERNET_MAX_HOST_NAME_LENGTH];
    wchar_t path[INTERNET_MAX_PATH_LENGTH];
    URL_COMPONENTSW parts{};
    parts.dwStructSize = sizeof parts;
    parts.lpszHostName = host;
    parts.dwHostNameLength = static_cast<DWORD>(std::size(host));
    parts.lpszUrlPath = path;
    parts.dwUrlPathLength = static_cast<DWORD>(std::size(path));
    if (!InternetCrackUrlW(url_.data(), 0, 0, &parts)) return;

    HINTERNET session =
        InternetOpenW(kUserAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    if (!session || !Keep(session_, session)) return;
    HINTERNET connection = InternetConnectW(session, host, parts.nPort, nullptr, nullptr,
                                            INTERNET_SERVICE_HTTP, 0, 0);
    if (!connection || !Keep(connection_, connection)) return;
    LimitWaits(connection, deadlineMs_);
    HINTERNET request =
        HttpOpenRequestW(connection, L"GET", path, nullptr, nullptr, nullptr, kRequestFlags, 0);
    if (!request || !Keep(request_, request)) return;
    LimitWaits(request, deadlineMs_);
    if (HttpSendRequestW(request, nullptr, 0, nullptr, 0) && HasSuccessStatus(request))
        body_ = ReadBody(request);
}

// The body as sent, or nothing when it is too large, shorter than the server announced
// (a connection cut mid-body), late, or there is no memory for it.
HeapArray<char> DownloadJob::ReadBody(HINTERNET request) noexcept {
    // One byte more than a reply may have, to tell a body of the limit from a larger one.
    HeapArray<char> body(kMaxReplyBytes + 1);
    if (!body) return {};
    std::size_t length = 0;
    for (;;) {
        if (ShouldStop()) return {};
        // A read waits until the buffer is full; asking what has arrived first keeps each
        // wait short, so a trickling body is noticed at the deadline.
        DWORD available = 0;
        if (!InternetQueryDataAvailable(request, &available, 0, 0)) return {};
        if (available == 0) break;
        DWORD got = 0;
        const auto room = static_cast<DWORD>(body.size() - length);
        if (!InternetReadFile(request, body.data() + length, available < room ? available : room,
                              &got))
            return {};
        if (got == 0) break;
        length += got;
        if (length > kMaxReplyBytes) return {};
    }
    const auto announced = NumericHeader(request, HTTP_QUERY_CONTENT_LENGTH);
    if (announced && *announced != length) return {};
    body.Shorten(length);
    return body;
}

}  // namespace kestrin
