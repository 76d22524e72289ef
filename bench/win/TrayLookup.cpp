// The exit baseline: what a tray program that asks the network must set up and undo, and
// nothing more, built like kestrin.exe. A named mutex, one window with the refresh timer, a
// notification-area icon, and one WinINet GET of the lookup URL before the window shows.
// WM_CLOSE takes the icon away, ends the loop, and the mutex goes as the program returns.

#include <windows.h>
#include <shellapi.h>
#include <wininet.h>

#include "BaselineWindow.h"
#include "HttpFetch.h"
#include "ProgramSettings.h"

namespace {

constexpr UINT kTrayCallback = WM_APP + 1;
constexpr UINT kTrayIconId = 1;

NOTIFYICONDATAW IconRecord(HWND window) {
    NOTIFYICONDATAW record{};
    record.cbSize = NOTIFYICONDATAW_V1_SIZE;
    record.hWnd = window;
    record.uID = kTrayIconId;
    record.uFlags = NIF_MESSAGE | NIF_ICON;
    record.uCallbackMessage = kTrayCallback;
    record.hIcon = LoadIconW(nullptr, IDI_APPLICATION);  // shared: not ours to destroy
    return record;
}

// Reads the whole reply and drops it: the GET is here for what WinINet sets up.
void GetOnce() {
    HINTERNET session =
        InternetOpenW(L"tray-lookup", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    if (!session) return;
    HINTERNET request =
        InternetOpenUrlW(session, kestrin::kLookupUrl, nullptr, 0, kestrin::kRequestFlags, 0);
    if (request) {
        char buffer[4096];
        DWORD got = 0;
        while (InternetReadFile(request, buffer, sizeof buffer, &got) && got > 0) continue;
        InternetCloseHandle(request);
    }
    InternetCloseHandle(session);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        NOTIFYICONDATAW record = IconRecord(window);
        Shell_NotifyIconW(NIM_DELETE, &record);
    }
    return kestrin::bench::BaselineDefault(window, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    HANDLE mutex = CreateMutexW(nullptr, FALSE, L"Local\\KestrinBench.TrayLookup");
    if (!mutex) return 1;
    HWND window =
        kestrin::bench::CreateBaselineWindow(instance, L"KestrinBench.TrayLookup", WindowProc);
    int status = 1;
    if (window) {
        NOTIFYICONDATAW record = IconRecord(window);
        Shell_NotifyIconW(NIM_ADD, &record);  // result ignored: the bench needs no icon to go on
        GetOnce();
        status = kestrin::bench::ShowAndRun(window, kestrin::kRefreshIntervalMs);
    }
    CloseHandle(mutex);
    return status;
}
