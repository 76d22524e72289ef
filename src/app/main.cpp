// Kestrin: shows this computer's public address and host name from the notification area.

#include <windows.h>

#include "LookupUrl.h"
#include "ProgramSettings.h"
#include "SingleInstance.h"
#include "WindowsVersion.h"
#include "frmMain.h"

namespace {

// Dispatches every message there is, then sleeps until the next one or until the window's
// address-change event is signalled: both are waited for on this one thread.
int RunMessageLoop(kestrin::frmMain& window) {
    const HWND dialog = window.hWnd();
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) return static_cast<int>(msg.wParam);
            if (IsDialogMessageW(dialog, &msg)) continue;  // Tab moves between the controls
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        HANDLE event = window.AddressChangeEvent();
        const DWORD count = event ? 1 : 0;
        const DWORD woke = MsgWaitForMultipleObjects(count, &event, FALSE, INFINITE, QS_ALLINPUT);
        if (count == 1 && woke == WAIT_OBJECT_0) window.OnAddressChangeEvent();
        // A wait that fails must not turn the loop into a spin: wait on messages alone.
        if (woke == WAIT_FAILED) MsgWaitForMultipleObjects(0, nullptr, FALSE, INFINITE, QS_ALLINPUT);
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    // Decided before anything of this copy can be seen, so a second copy leaves no trace.
    const kestrin::SingleInstance running;
    if (!running.IsOnlyCopy()) return 0;

    const wchar_t* lookupUrl = kestrin::ChooseLookupUrl(
        kestrin::IsOlderThanWindows7(), kestrin::kLookupUrl, kestrin::kLegacyLookupUrl);
    kestrin::frmMain window(instance, lookupUrl, kestrin::kRefreshIntervalMs);
    if (!window.Load()) return 1;
    window.Show();
    return RunMessageLoop(window);
}
