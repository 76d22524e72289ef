#include "HttpFetch.h"

#include <initializer_list>
#include <iterator>
#include <new>
#include <optional>
#include <utility>

#include "Reply.h"
#include "Version.h"

namespace kestrin {
namespace {

// Redirects followed before a download counts as failed.
constexpr int kMaxRedirects = 5;

std::optional<DWORD> NumericHeader(HINTERNET request, DWORD query) {
    DWORD value = 0;
    DWORD size = sizeof value;
    if (!HttpQueryInfoW(request, query | HTTP_QUERY_FLAG_NUMBER, &value, &size, nullptr))
        return std::nullopt;
    return value;
}

bool IsSuccess(DWORD status) {
    return status >= 200 && status < 300;
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

void CloseEach(std::initializer_list<HINTERNET*> handles) {
    for (HINTERNET* handle : handles) {
        if (*handle) InternetCloseHandle(*handle);
        *handle = nullptr;
    }
}

bool IsRedirect(DWORD status) {
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

// Copies text with its NUL into out; false when it does not fit.
template <std::size_t N>
bool CopyInto(const wchar_t* text, wchar_t (&out)[N]) {
    for (std::size_t i = 0; i < N; ++i) {
        out[i] = text[i];
        if (!text[i]) return true;
    }
    return false;
}

// Appends the query part of extra (a "?..." and "#..." as cracked from a URL) to object;
// the fragment is the client's own and never sent.
template <std::size_t N>
bool AppendQuery(const wchar_t* extra, wchar_t (&object)[N]) {
    std::size_t end = 0;
    while (object[end]) ++end;
    for (const wchar_t* c = extra; *c && *c != L'#'; ++c) {
        if (end + 1 >= N) return false;
        object[end++] = *c;
    }
    object[end] = L'\0';
    return true;
}

// Replaces url with where the reply's Location sends it, resolved against url.
template <std::size_t N>
bool RedirectTarget(HINTERNET request, wchar_t (&url)[N]) {
    wchar_t location[N];
    DWORD size = sizeof location;
    if (!HttpQueryInfoW(request, HTTP_QUERY_LOCATION, location, &size, nullptr)) return false;
    wchar_t combined[N];
    DWORD length = static_cast<DWORD>(N);
    return InternetCombineUrlW(url, location, combined, &length, ICU_NO_ENCODE) &&
           CopyInto(combined, url);
}

HeapArray<wchar_t> CopyOf(const wchar_t* text) {
    std::size_t length = 0;
    while (text[length]) ++length;
    HeapArray<wchar_t> copy(length + 1);
    if (copy) CopyMemory(copy.data(), text, (length + 1) * sizeof(wchar_t));
    return copy;
}

}  // namespace

// Where one hop of a download goes. Only http and https are ever asked.
struct HttpFetch::UrlTarget {
    wchar_t host[INTERNET_MAX_HOST_NAME_LENGTH];
    wchar_t object[INTERNET_MAX_URL_LENGTH];  // the path and query, without a fragment
    INTERNET_PORT port;
    bool secure;

    static std::optional<UrlTarget> Of(const wchar_t* url) noexcept {
        std::optional<UrlTarget> target(std::in_place);
        wchar_t extra[INTERNET_MAX_URL_LENGTH];
        URL_COMPONENTSW parts{};
        parts.dwStructSize = sizeof parts;
        parts.lpszHostName = target->host;
        parts.dwHostNameLength = static_cast<DWORD>(std::size(target->host));
        parts.lpszUrlPath = target->object;
        parts.dwUrlPathLength = static_cast<DWORD>(std::size(target->object));
        parts.lpszExtraInfo = extra;
        parts.dwExtraInfoLength = static_cast<DWORD>(std::size(extra));
        if (!InternetCrackUrlW(url, 0, 0, &parts)) return std::nullopt;
        if (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS)
            return std::nullopt;
        target->port = parts.nPort;
        target->secure = parts.nScheme == INTERNET_SCHEME_HTTPS;
        if (!AppendQuery(extra, target->object)) return std::nullopt;
        return target;
    }
};

HeapArray<char> HttpFetch::Get(const wchar_t* url, DWORD deadlineMs) noexcept {
    HttpFetch* job = Start(url, deadlineMs);
    if (!job) return {};
    HeapArray<char> body = job->Finish();
    job->Release();
    return body;
}

HttpFetch* HttpFetch::Start(const wchar_t* url, DWORD deadlineMs) noexcept {
    HeapArray<wchar_t> ownUrl = CopyOf(url);
    void* memory = ownUrl ? AllocateBytes(sizeof(HttpFetch)) : nullptr;
    if (!memory) return nullptr;
    auto* job = new (memory) HttpFetch(std::move(ownUrl), deadlineMs);
    HANDLE thread = job->done_ ? CreateThread(nullptr, 0, Worker, job, 0, nullptr) : nullptr;
    if (!thread) {
        job->shares_ = 1;
        job->Release();
        return nullptr;
    }
    CloseHandle(thread);  // the thread runs on; the job is how the two meet
    return job;
}

HttpFetch::HttpFetch(HeapArray<wchar_t> url, DWORD deadlineMs) noexcept
    : url_(std::move(url)),
      deadlineMs_(deadlineMs),
      startTick_(GetTickCount()),
      done_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
    InitializeCriticalSection(&lock_);
}

HttpFetch::~HttpFetch() {
    DeleteCriticalSection(&lock_);
    if (done_) CloseHandle(done_);
}

void HttpFetch::Release() noexcept {
    if (InterlockedDecrement(&shares_) != 0) return;
    this->~HttpFetch();
    FreeBytes(this);
}

DWORD WINAPI HttpFetch::Worker(void* job) {
    auto* self = static_cast<HttpFetch*>(job);
    self->FetchBody();
    self->CloseHandles(false);
    SetEvent(self->done_);
    self->Release();
    return 0;
}

DWORD HttpFetch::MillisecondsLeft() const noexcept {
    const DWORD spent = GetTickCount() - startTick_;  // unsigned: right across the wrap
    return spent < deadlineMs_ ? deadlineMs_ - spent : 0;
}

HeapArray<char> HttpFetch::Finish() noexcept {
    if (WaitForSingleObject(done_, MillisecondsLeft()) == WAIT_OBJECT_0) return std::move(body_);
    CloseHandles(true);
    return {};
}

bool HttpFetch::Keep(HINTERNET& slot, HINTERNET handle) noexcept {
    EnterCriticalSection(&lock_);
    const bool kept = !abandoned_;
    if (kept) slot = handle;
    LeaveCriticalSection(&lock_);
    if (!kept) InternetCloseHandle(handle);
    return kept;
}

bool HttpFetch::ShouldStop() noexcept {
    EnterCriticalSection(&lock_);
    const bool stop = abandoned_;
    LeaveCriticalSection(&lock_);
    return stop || MillisecondsLeft() == 0;
}

// Each handle is closed exactly once, by whichever thread gets here first.
void HttpFetch::CloseHandles(bool abandon) noexcept {
    EnterCriticalSection(&lock_);
    if (abandon) abandoned_ = true;
    CloseEach({&request_, &connection_, &session_});
    LeaveCriticalSection(&lock_);
}

void HttpFetch::CloseHop() noexcept {
    EnterCriticalSection(&lock_);
    CloseEach({&request_, &connection_});
    LeaveCriticalSection(&lock_);
}

// The handles it keeps are closed by the worker as it ends, or by an abandoning Finish.
// Redirects are followed here, not by WinINet, which on some systems follows one from
// https to plain http without a word: once a hop is https, every later hop must be too.
void HttpFetch::FetchBody() noexcept {
    wchar_t url[INTERNET_MAX_URL_LENGTH];
    if (!CopyInto(url_.data(), url)) return;
    HINTERNET session =
        InternetOpenW(kUserAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    if (!session || !Keep(session_, session)) return;
    bool secureOnly = false;
    for (int hop = 0; hop <= kMaxRedirects; ++hop) {
        const std::optional<UrlTarget> target = UrlTarget::Of(url);
        if (!target || (secureOnly && !target->secure)) return;
        secureOnly = secureOnly || target->secure;
        const HINTERNET request = OpenRequest(session, *target);
        if (!request || !HttpSendRequestW(request, nullptr, 0, nullptr, 0)) return;
        const std::optional<DWORD> status = NumericHeader(request, HTTP_QUERY_STATUS_CODE);
        if (!status) return;
        if (!IsRedirect(*status)) {
            if (IsSuccess(*status)) body_ = ReadBody(request);
            return;
        }
        if (!RedirectTarget(request, url)) return;
        CloseHop();
    }
}

// The request for one hop, its connection and itself kept by the job; nullptr on failure.
HINTERNET HttpFetch::OpenRequest(HINTERNET session, const UrlTarget& target) noexcept {
    HINTERNET connection = InternetConnectW(session, target.host, target.port, nullptr, nullptr,
                                            INTERNET_SERVICE_HTTP, 0, 0);
    if (!connection || !Keep(connection_, connection)) return nullptr;
    LimitWaits(connection, deadlineMs_);
    const DWORD flags = kRequestFlags | (target.secure ? INTERNET_FLAG_SECURE : 0);
    HINTERNET request =
        HttpOpenRequestW(connection, L"GET", target.object, nullptr, nullptr, nullptr, flags, 0);
    if (!request || !Keep(request_, request)) return nullptr;
    LimitWaits(request, deadlineMs_);
    return request;
}

// The body as sent, or nothing when it is too large, shorter than the server announced
// (a connection cut mid-body), late, or there is no memory for it.
HeapArray<char> HttpFetch::ReadBody(HINTERNET request) noexcept {
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
