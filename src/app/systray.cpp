#include "systray.h"

#include <cstring>

namespace kestrin {

HHOOK hHook = nullptr;

LRESULT CALLBACK MenuHookProc(int nCode, WPARAM wParam, LPARAM lParam) {
    CWPSTRUCT message;
    std::memcpy(&message, reinterpret_cast<const void*>(lParam), sizeof message);
    if (message.message != WM_CREATE) return CallNextHookEx(hHook, nCode, wParam, lParam);

    SetForegroundWindow(message.hwnd);  // result ignored: the menu works either way
    const LRESULT result = CallNextHookEx(hHook, nCode, wParam, lParam);
    UnhookWindowsHookEx(hHook);
    hHook = nullptr;
    return result;
}

MenuForegroundHook::MenuForegroundHook() {
    hHook = SetWindowsHookExW(WH_CALLWNDPROC, MenuHookProc, nullptr, GetCurrentThreadId());
}

MenuForegroundHook::~MenuForegroundHook() {
    if (!hHook) return;
    UnhookWindowsHookEx(hHook);
    hHook = nullptr;
}

}  // namespace kestrin
