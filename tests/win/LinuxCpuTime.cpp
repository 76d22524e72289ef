#include "LinuxCpuTime.h"

#include <windows.h>

#include <cwctype>
#include <vector>

#include "Handles.h"

namespace kestrin::test {
namespace {

std::string ReadWholeFile(const std::wstring& path) {
    kestrin::UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    std::string bytes;
    if (!file) return bytes;
    char chunk[4096];
    DWORD got = 0;
    while (ReadFile(file.get(), chunk, sizeof chunk, &got, nullptr) && got > 0)
        bytes.append(chunk, got);
    return bytes;
}

}  // namespace

std::wstring LinuxProcFolder(const std::wstring& windowsPath) {
    std::string wanted(windowsPath.size(), '\0');
    for (std::size_t i = 0; i < windowsPath.size(); ++i)
        wanted[i] = static_cast<char>(windowsPath[i] < 128 ? windowsPath[i] : L'?');
    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileW(L"Z:\\proc\\*", &entry);
    if (find == INVALID_HANDLE_VALUE) return {};
    std::wstring found;
    do {
        if (!iswdigit(entry.cFileName[0])) continue;
        const std::wstring folder = std::wstring(L"Z:\\proc\\") + entry.cFileName;
        const std::string commandLine = ReadWholeFile(folder + L"\\cmdline");
        if (_stricmp(commandLine.c_str(), wanted.c_str()) == 0) found = folder;
    } while (found.empty() && FindNextFileW(find, &entry));
    FindClose(find);
    return found;
}

double LinuxCpuMs(const std::wstring& procFolder) {
    if (procFolder.empty()) return -1;
    const std::string stat = ReadWholeFile(procFolder + L"\\stat");
    const std::size_t afterName = stat.rfind(')');
    if (afterName == std::string::npos) return -1;
    // After "pid (name)": state is field 3, utime field 14, stime field 15.
    std::vector<std::string> fields;
    std::size_t at = afterName + 2;
    while (at < stat.size() && fields.size() < 13) {
        const std::size_t end = stat.find(' ', at);
        fields.push_back(stat.substr(at, end - at));
        if (end == std::string::npos) break;
        at = end + 1;
    }
    if (fields.size() < 13) return -1;
    constexpr double kMsPerClockTick = 10.0;  // USER_HZ is 100 on Linux
    return static_cast<double>(std::stoull(fields[11]) + std::stoull(fields[12])) *
           kMsPerClockTick;
}

}  // namespace kestrin::test
