// Kestrin: shows this computer's public address and host name from the notification area.

#include <windows.h>

#include "LookupUrl.h"
#include "LookupUrls.h"
#include "SingleInstance.h"
#include "WindowsVersion.h"
#include "frmMain.h"

namespace {

int RunMessageLoop(HWND window) {
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (IsDialogMessageW(window, &msg)) continue;  // Tab moves between the controls
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    // Decided before anything of this copy can be seen, so a second copy leaves no trace.
    const kestrin::SingleInstance running;
    if (!running.IsOnlyCopy()) return 0;

    const wchar_t* lookupUrl = kestrin::ChooseLookupUrl(
        kestrin::IsOlderThanWindows7(), kestrin::kLookupUrl, kestrin::kLegacyLookupUrl);
    kestrin::frmMain window(instance, lookupUrl);
    if (!window.Load()) return 1;
    window.Show();
    return RunMessageLoop(window.hWnd());
}
