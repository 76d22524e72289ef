#pragma once
// The program's icon in the notification area, handed to the shell as the record of
// NOTIFYICONDATAA's first form.

#include <windows.h>
#include <shellapi.h>

#include "IconExchange.h"

namespace kestrin {

// message is NIM_ADD, NIM_MODIFY or NIM_DELETE; true when the shell took it.
bool NotifyShell(DWORD message, const IconRecord& record);

// Lets the shell's broadcast `message` ("TaskbarCreated") reach the window even when it
// runs elevated, which User Interface Privilege Isolation would otherwise prevent. The
// filter function exists from Windows 7 on, so it is looked up in user32 at run time;
// true when it was there and was called.
bool LetShellMessageThrough(HWND window, UINT message, HMODULE user32);

// Owns the icon from its first add to its removal in the destructor. The shell may not
// be ready when Kestrin starts with the session, so a failed first add is tried again on
// the window's retry timer; a restarted shell has forgotten every icon, so its
// "TaskbarCreated" broadcast adds it again.
class TrayIcon {
public:
    struct Setup {
        HWND window;
        UINT id;
        UINT callbackMessage;
        HICON icon;        // shared: not the tray icon's to destroy
        UINT_PTR retryTimer;  // a timer id of the window's, for the retries
    };

    explicit TrayIcon(const Setup& setup);
    ~TrayIcon();
    TrayIcon(const TrayIcon&) = delete;
    TrayIcon& operator=(const TrayIcon&) = delete;

    // Applies the icon again; a missing icon is no error here.
    void Modify();
    // Shows another picture, e.g. one drawn for a new DPI; shared like the first.
    void ChangeIcon(HICON icon);
    void OnRetryTimer();
    // True when message was the shell's broadcast, which this handled.
    bool OnShellRestart(UINT message);

private:
    bool Notify(DWORD message) const;
    void Add();

    Setup setup_;
    UINT taskbarCreated_;
    int retriesLeft_ = 0;
};

}  // namespace kestrin
