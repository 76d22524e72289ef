#pragma once
// The CPU time of a program under Wine, as Linux counts it. Wine's GetProcessTimes does
// not follow another process's CPU time (it reported 700 ms for a bare window that Linux
// had run for 50 ms), so it is read from /proc, through drive Z:.

#include <string>

namespace kestrin::test {

// The /proc folder (as a Windows path) of the Linux process behind the Wine program
// started from windowsPath, found by its command line; empty when there is none.
std::wstring LinuxProcFolder(const std::wstring& windowsPath);

// User and system time of the whole Linux process, threads that ended included, in
// Linux's 10 ms steps; -1 when it cannot be read.
double LinuxCpuMs(const std::wstring& procFolder);

}  // namespace kestrin::test
