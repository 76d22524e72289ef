#pragma once
// Where ipx.cgi tells the operator why it stopped: a caller only ever sees 502 or 503.

#include <string_view>

namespace ipx {

// Writes "ipx.cgi: MESSAGE" to standard error, which systemd's journal and Apache's error
// log keep; and to syslog too unless standard error is the journal, since a web server
// that runs in the background, as lighttpd does without systemd, sends its
// programs' standard error nowhere.
void ReportError(std::string_view message);

// Whether JOURNAL_STREAM (systemd's "DEVICE:INODE" of the journal stream it connected)
// names the file standard error is, given standard error's device and inode.
bool IsJournalStream(const char* journalStream, unsigned long long device,
                     unsigned long long inode);

}  // namespace ipx
