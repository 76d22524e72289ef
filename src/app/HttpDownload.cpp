#include "HttpDownload.h"

#include <optional>

#include "Handles.h"
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

// The body as sent, or nothing when it is too large or shorter than the server
// announced (a connection cut mid-body).
std::optional<std::string> ReadBody(HINTERNET request) {
    std::string body;
    char chunk[4096];
    for (;;) {
        DWORD got = 0;
        if (!InternetReadFile(request, chunk, sizeof chunk, &got)) return std::nullopt;
        if (got == 0) break;
        body.append(chunk, got);
        if (body.size() > kMaxReplyBytes) return std::nullopt;
    }
    const auto announced = NumericHeader(request, HTTP_QUERY_CONTENT_LENGTH);
    if (announced && *announced != body.size()) return std::nullopt;
    return body;
}

std::optional<std::string> FetchBody(const std::wstring& url) {
    UniqueInternet session(
        InternetOpenW(L"Kestrin/1.0", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (!session) return std::nullopt;
    UniqueInternet request(
        InternetOpenUrlW(session.get(), url.c_str(), nullptr, 0, kRequestFlags, 0));
    if (!request || !HasSuccessStatus(request.get())) return std::nullopt;
    return ReadBody(request.get());
}

bool WriteWholeFile(const std::wstring& file, const std::string& bytes) {
    bool written = false;
    {
        UniqueFile out(CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!out) return false;
        DWORD count = 0;
        written = WriteFile(out.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &count,
                            nullptr) &&
                  count == bytes.size();
    }
    if (!written) DeleteFileW(file.c_str());
    return written;
}

}  // namespace

bool DownloadToFile(const std::wstring& url, const std::wstring& file) {
    const auto body = FetchBody(url);
    return body && WriteWholeFile(file, *body);
}

}  // namespace kestrin
