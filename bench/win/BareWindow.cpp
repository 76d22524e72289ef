// The start-up and memory baseline: one window with a timer and nothing else, built with
// the same toolchain, flags and static linking as kestrin.exe.

#include <windows.h>

#include "BaselineWindow.h"

namespace {

// Kestrin's release refresh interval, so both idle alike.
constexpr UINT kTimerMs = 60000;

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_TIMER) return 0;
    return kestrin::bench::BaselineDefault(window, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    HWND window =
        kestrin::bench::CreateBaselineWindow(instance, L"KestrinBench.BareWindow", WindowProc);
    if (!window) return 1;
    return kestrin::bench::ShowAndRun(window, kTimerMs);
}
