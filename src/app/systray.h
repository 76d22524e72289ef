#pragma once
// Brings the tray's popup menu to the foreground as it opens. A menu opened from a
// notification-icon click, while Kestrin is in the background, would otherwise not
// close when the user clicks elsewhere.

#include <windows.h>

namespace kestrin {

// The installed hook, or nullptr when none is; the hook clears it when it removes itself.
extern HHOOK hHook;

// Makes the window of the first WM_CREATE it sees the foreground window, passes the call
// on, then removes itself.
LRESULT CALLBACK MenuHookProc(int nCode, WPARAM wParam, LPARAM lParam);

// Keeps MenuHookProc installed on this thread for one popup menu: removed at the menu's
// creation by the hook itself, or at the end of the scope.
class MenuForegroundHook {
public:
    MenuForegroundHook();
    ~MenuForegroundHook();
    MenuForegroundHook(const MenuForegroundHook&) = delete;
    MenuForegroundHook& operator=(const MenuForegroundHook&) = delete;
};

}  // namespace kestrin
