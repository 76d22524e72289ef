// The start-up and memory baseline: one window with a timer and nothing else, built with
// the same toolchain, flags and static linking as kestrin.exe.

#include <windows.h>

namespace {

constexpr wchar_t kClassName[] = L"KestrinBench.BareWindow";
constexpr UINT_PTR kTimer = 1;
// Kestrin's release refresh interval, so both idle alike.
constexpr UINT kTimerMs = 60000;

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_TIMER:
        return 0;
    case WM_CLOSE:
        DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        KillTimer(window, kTimer);
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = kClassName;
    if (!RegisterClassExW(&wc)) return 1;
    // Same frame and inner size as Kestrin's window at 96 DPI.
    constexpr DWORD style = WS_POPUP | WS_DLGFRAME;
    RECT outer{0, 0, 411, 172};
    AdjustWindowRectEx(&outer, style, FALSE, WS_EX_TOOLWINDOW);
    HWND window = CreateWindowExW(WS_EX_TOOLWINDOW, kClassName, L"", style, 100, 100,
                                  outer.right - outer.left, outer.bottom - outer.top, nullptr,
                                  nullptr, instance, nullptr);
    if (!window) return 1;
    SetTimer(window, kTimer, kTimerMs, nullptr);
    ShowWindow(window, SW_SHOW);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}
