#include "HttpDownload.h"

#include <string_view>

#include "DownloadJob.h"
#include "Handles.h"

namespace kestrin {
namespace {

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

bool DownloadToFile(const wchar_t* url, const wchar_t* file, unsigned deadlineMs) {
    // Only this thread writes the file: a worker that missed the deadline never sees it.
    const HeapArray<char> body = DownloadJob::Fetch(url, deadlineMs);
    return body && WriteWholeFile(file, body);
}

}  // namespace kestrin
