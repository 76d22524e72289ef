#pragma once
// Fetches a URL and stores the reply body in a file.

namespace kestrin {

// True only when the server answered with a 2xx status and the whole body, no larger
// than kMaxReplyBytes, within deadlineMs of the call, name resolution included, and the
// body was stored in file. Unlike the platform's stock URL download, an HTTP error page
// is a failure, not a reply; on any failure, a lack of memory included, no file is left
// behind.
bool DownloadToFile(const wchar_t* url, const wchar_t* file, unsigned deadlineMs);

}  // namespace kestrin
