#include "WinLookupPort.h"

#include <wininet.h>

#include "Handles.h"
#include "HttpDownload.h"
#include "TextCodec.h"

namespace kestrin {

void WinLookupPort::ForgetCachedReply(const std::wstring& url) {
    DeleteUrlCacheEntryW(url.c_str());  // result ignored: an uncached URL is no failure
}

bool WinLookupPort::Download(const std::wstring& url, const std::wstring& file) {
    return DownloadToFile(url, file);
}

std::string WinLookupPort::ReadReply(const std::wstring& file) {
    UniqueFile in(CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!in) return {};
    // The download wrote at most kMaxReplyBytes; a file swapped in since is read no further.
    std::string bytes(kMaxReplyBytes, '\0');
    DWORD count = 0;
    if (!ReadFile(in.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &count, nullptr))
        return {};
    bytes.resize(count);
    return bytes;
}

void WinLookupPort::DeleteReply(const std::wstring& file) {
    DeleteFileW(file.c_str());  // result ignored: nothing more can be done about it
}

void WinLookupPort::ShowAnswers(const Answers& answers) {
    SetWindowTextW(addressBox_, WideFromAnsi(answers.address).c_str());
    SetWindowTextW(hostBox_, WideFromAnsi(answers.host).c_str());
}

}  // namespace kestrin
