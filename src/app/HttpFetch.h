#pragma once
// The one download of a lookup: an HTTP GET whose body comes back as bytes, made on a
// worker thread that the window's thread waits for, and abandons at the deadline. A
// synchronous WinINet call that resolves a name or waits on a silent server cannot be
// bounded on the thread that makes it; a worker's can.

#include <windows.h>
#include <wininet.h>

#include <utility>

#include "Memory.h"

namespace kestrin {

// How the lookup is asked for. The cache is bypassed both ways: every cycle must ask the
// service afresh. Redirects come back to the fetch, which decides whether to follow them.
// Named here so that the bench's bare GET asks exactly as the program does.
inline constexpr DWORD kRequestFlags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE |
                                       INTERNET_FLAG_PRAGMA_NOCACHE | INTERNET_FLAG_NO_COOKIES |
                                       INTERNET_FLAG_NO_UI | INTERNET_FLAG_NO_AUTH |
                                       INTERNET_FLAG_NO_AUTO_REDIRECT;

class HttpFetch {
public:
    // The body of url when the server answered 2xx with the whole of it within
    // deadlineMs, else an empty array: a failed download. An https URL is asked over TLS
    // with every certificate check Windows makes; a redirect is followed from http to
    // either scheme, and from https only to https.
    static HeapArray<char> Get(const wchar_t* url, DWORD deadlineMs) noexcept;

    HttpFetch(const HttpFetch&) = delete;
    HttpFetch& operator=(const HttpFetch&) = delete;

private:
    HttpFetch(HeapArray<wchar_t> url, DWORD deadlineMs) noexcept;
    ~HttpFetch();

    // Nullptr when there is no memory or thread for the job.
    static HttpFetch* Start(const wchar_t* url, DWORD deadlineMs) noexcept;
    // Waits for the worker until the deadline; past it, abandons the worker: closing its
    // handles makes a blocked WinINet call return, and from then on the worker touches
    // nothing but this job.
    HeapArray<char> Finish() noexcept;
    // Gives up one thread's share; the last of the two frees the job.
    void Release() noexcept;

    struct UrlTarget;

    static DWORD WINAPI Worker(void* job);
    void FetchBody() noexcept;
    HINTERNET OpenRequest(HINTERNET session, const UrlTarget& target) noexcept;
    // Closes the connection and request of a hop that answered with a redirect.
    void CloseHop() noexcept;
    HeapArray<char> ReadBody(HINTERNET request) noexcept;
    // Hands a new handle to the job, or closes it at once when the job is abandoned.
    bool Keep(HINTERNET& slot, HINTERNET handle) noexcept;
    bool ShouldStop() noexcept;
    DWORD MillisecondsLeft() const noexcept;
    // Closes what the worker holds; with abandon, the worker may open nothing more.
    void CloseHandles(bool abandon) noexcept;

    HeapArray<wchar_t> url_;
    const DWORD deadlineMs_;
    const DWORD startTick_;
    HANDLE done_;  // manual reset, set by the worker as it ends
    volatile LONG shares_ = 2;

    CRITICAL_SECTION lock_;  // guards the four below
    bool abandoned_ = false;
    HINTERNET session_ = nullptr;
    HINTERNET connection_ = nullptr;
    HINTERNET request_ = nullptr;

    HeapArray<char> body_;  // the worker's result, read once done_ is set
};

}  // namespace kestrin
