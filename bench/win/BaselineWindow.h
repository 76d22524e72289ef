#pragma once
// What the baseline programs share: a window of Kestrin's frame and inner size at 96 DPI
// with the refresh timer, its end, and a plain message loop.

#include <windows.h>

namespace kestrin::bench {

inline constexpr UINT_PTR kBaselineTimer = 1;

// The window, hidden, with the timer not yet set; nullptr when it cannot be made.
inline HWND CreateBaselineWindow(HINSTANCE instance, const wchar_t* className, WNDPROC proc) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = proc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = className;
    if (!RegisterClassExW(&wc)) return nullptr;
    constexpr DWORD style = WS_POPUP | WS_DLGFRAME;
    RECT outer{0, 0, 411, 172};
    AdjustWindowRectEx(&outer, style, FALSE, WS_EX_TOOLWINDOW);
    return CreateWindowExW(WS_EX_TOOLWINDOW, className, L"", style, 100, 100,
                           outer.right - outer.left, outer.bottom - outer.top, nullptr, nullptr,
                           instance, nullptr);
}

// What a baseline does with the messages it has no work for: on WM_DESTROY it stops the
// timer and the loop; WM_CLOSE destroys the window by default.
inline LRESULT BaselineDefault(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_DESTROY) return DefWindowProcW(window, message, wParam, lParam);
    KillTimer(window, kBaselineTimer);
    PostQuitMessage(0);
    return 0;
}

// Sets the timer, shows the window and runs the loop until the window is gone.
inline int ShowAndRun(HWND window, UINT timerMs) {
    SetTimer(window, kBaselineTimer, timerMs, nullptr);
    ShowWindow(window, SW_SHOW);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}

}  // namespace kestrin::bench
