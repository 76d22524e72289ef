#include "LookupPortWin.h"

#include <wininet.h>

#include <string_view>

#include "Handles.h"
#include "HttpFetch.h"
#include "TextCodec.h"

namespace kestrin {
namespace {

// On any failure no file is left behind.
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

void LookupPortWin::ForgetCachedReply(const wchar_t* url) {
    DeleteUrlCacheEntryW(url);  // result ignored: an uncached URL is no failure
}

bool LookupPortWin::Download(const wchar_t* url, const wchar_t* file) {
    // Fetched, then written by this thread alone: a worker that missed the deadline
    // never sees the file.
    const HeapArray<char> body = HttpFetch::Get(url, deadlineMs_);
    return body && WriteWholeFile(file, body);
}

std::optional<HeapArray<char>> LookupPortWin::ReadReply(const wchar_t* file) {
    // The download wrote at most kMaxReplyBytes; a file swapped in since is read no further.
    HeapArray<char> bytes(kMaxReplyBytes);
    if (!bytes) return std::nullopt;
    UniqueFile in(CreateFileW(file, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD count = 0;
    if (!in || !ReadFile(in.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &count, nullptr))
        count = 0;  // an unreadable file reads as an empty reply
    bytes.Shorten(count);
    return bytes;
}

void LookupPortWin::DeleteReply(const wchar_t* file) {
    DeleteFileW(file);  // result ignored: nothing more can be done about it
}

void LookupPortWin::ShowAnswers(const Answers& answers) {
    const HeapArray<wchar_t> address = WideFromAnsi(answers.address);
    const HeapArray<wchar_t> host = WideFromAnsi(answers.host);
    if (!address || !host) return;
    SetWindowTextW(addressBox_, address.data());
    SetWindowTextW(hostBox_, host.data());
}

}  // namespace kestrin
