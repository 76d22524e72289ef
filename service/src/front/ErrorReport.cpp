#include "ErrorReport.h"

#include <sys/stat.h>
#include <syslog.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace ipx {

namespace {

bool StandardErrorIsJournal() {
    struct stat status {};
    if (fstat(STDERR_FILENO, &status) != 0) {
        return false;
    }
    return IsJournalStream(std::getenv("JOURNAL_STREAM"), status.st_dev, status.st_ino);
}

}  // namespace

bool IsJournalStream(const char* journalStream, unsigned long long device,
                     unsigned long long inode) {
    if (journalStream == nullptr) {
        return false;
    }
    unsigned long long streamDevice = 0;
    unsigned long long streamInode = 0;
    char rest = 0;
    return std::sscanf(journalStream, "%llu:%llu%c", &streamDevice, &streamInode, &rest) == 2 &&
           streamDevice == device && streamInode == inode;
}

void ReportError(std::string_view message) {
    const std::string line(message);
    std::fprintf(stderr, "ipx.cgi: %s\n", line.c_str());
    if (!StandardErrorIsJournal()) {
        openlog("ipx.cgi", LOG_PID, LOG_DAEMON);
        syslog(LOG_ERR, "%s", line.c_str());
        closelog();
    }
}

}  // namespace ipx
