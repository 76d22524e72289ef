#pragma once
// Helpers for tests that run under Wine against the loopback reply server.

#include <windows.h>
#include <wininet.h>

#include <string>
#include <string_view>

#include "ExpectedBoxes.h"

namespace kestrin::test {

// The reply server's URL for a path such as L"/reply/two".
std::wstring ServerUrl(const std::wstring& path);
// The same path on one of its https listeners, named by its port offset (ExpectedBoxes.h),
// by the host name its certificates are for.
std::wstring TlsServerUrl(int portOffset, const std::wstring& path);

// The body of a GET, or the empty text when the request fails.
std::string HttpGetText(const std::wstring& url);
// What is left of an open request's body.
std::string ReadBody(HINTERNET request);

// What the named reply of the server leaves in the boxes.
const ExpectedBoxes& ExpectedBoxesFor(std::string_view reply);

// Chooses what the server answers on /cgi-bin/ipx.cgi.
void ChooseServerReply(const std::wstring& name);
int ServedLookups();
// What one listener of the server ("plain", "good", ...) has seen: its /cgi-bin/ipx.cgi
// requests, or all its requests but the tests' own controls.
int ServedLookupsOn(const std::wstring& listener);
int RequestsOn(const std::wstring& listener);

std::wstring WindowTextOf(HWND window);

// Whether the notification area holds the icon (window, id): only then can it be modified.
bool TrayHasIcon(HWND window, UINT id);
// Removes the icon as a restarted shell would have forgotten it.
void ForgetTrayIcon(HWND window, UINT id);
bool FileExists(const std::wstring& path);

// A fresh folder under the system's temporary folder, removed with all it holds.
class TempFolder {
public:
    explicit TempFolder(const std::wstring& name = L"kestrin-test");
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::wstring& path() const noexcept { return path_; }
    bool IsEmpty() const;

private:
    std::wstring path_;
};

// What another process holds, counted in ways that also work under Wine, where
// GetProcessHandleCount and GetGuiResources answer 0: a handle value is open exactly
// when it can be duplicated from there; windows are counted top-level and child.
DWORD CountOpenHandles(HANDLE process);
DWORD CountWindows(DWORD processId);
DWORD CountThreads(DWORD processId);

// Sets the system DPI that programs started from now on see; restores it when done.
class ScopedSystemDpi {
public:
    explicit ScopedSystemDpi(DWORD dpi);
    ~ScopedSystemDpi();
    ScopedSystemDpi(const ScopedSystemDpi&) = delete;
    ScopedSystemDpi& operator=(const ScopedSystemDpi&) = delete;
};

// Runs this test program again with the given arguments; its exit code.
DWORD RunThisProgram(const std::wstring& arguments);

// Waits up to timeoutMs for condition to hold, checking every pollMs.
template <typename Condition>
bool WaitFor(Condition condition, DWORD timeoutMs = 10000, DWORD pollMs = 50) {
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    for (;;) {
        if (condition()) return true;
        if (GetTickCount64() >= end) return false;
        Sleep(pollMs);
    }
}

}  // namespace kestrin::test
