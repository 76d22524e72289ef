#include "HttpDownload.h"

#include <optional>

#include "Handles.h"
#include "Memory.h"
#include "Reply.h"

namespace kestrin {
namespace {

// The cache is bypassed both ways: every cycle must ask the service afresh.
constexpr DWORD kRequestFlags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE |
                                INTERNET_FLAG_PRAGMA_NOCACHE | INTERNET_FLAG_NO_COOKIES |
                                INTERNET_FLAG_NO_UI | INTERNET_FLAG_NO_AUTH;

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

// The body as sent, or nothing when it is too large, shorter than the server announced
// (a connection cut mid-body), or there is no memory for it.
HeapArray<char> ReadBody(HINTERNET request) {
    // One byte more than a reply may have, to tell a body of the limit from a larger one.
    HeapArray<char> body(kMaxReplyBytes + 1);
    if (!body) return {};
    std::size_t length = 0;
    for (;;) {
        DWORD got = 0;
        const auto room = static_cast<DWORD>(body.size() - length);
        if (!InternetReadFile(request, body.data() + length, room, &got)) return {};
        if (got == 0) break;
        length += got;
        if (length > kMaxReplyBytes) return {};
    }
    const auto announced = NumericHeader(request, HTTP_QUERY_CONTENT_LENGTH);
    if (announced && *announced != length) return {};
    body.Shorten(length);
    return body;
}

HeapArray<char> FetchBody(const wchar_t* url) {
    UniqueInternet session(
        InternetOpenW(L"Kestrin/1.0", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (!session) return {};
    UniqueInternet request(InternetOpenUrlW(session.get(), url, nullptr, 0, kRequestFlags, 0));
    if (!request || !HasSuccessStatus(request.get())) return {};
    return ReadBody(request.get());
}

bool WriteWholeFile(const wchar_t* file, std::string_view bytes) {
    bool written = false;
    {
        UniqueFile out(CreateFileW(file, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!out) return false;
        DWORD count = 0;
        written = WriteFile(out.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &count,
                            nullptr) &&
                  count == bytes.size();
    }
    if (!written) DeleteFileW(file);
    return written;
}

}  // namespace

bool DownloadToFile(const wchar_t* url, const wchar_t* file) {
    const HeapArray<char> body = FetchBody(url);
    return body && WriteWholeFile(file, body);
}

}  // namespace kestrin
