#pragma once
// Sees what this program hands to the shell for its notification icons: while it lives,
// this program's own calls of Shell_NotifyIconA go through it on to the shell.

#include <windows.h>

namespace kestrin::test {

class ShellNotifyRecorder {
public:
    ShellNotifyRecorder();
    ~ShellNotifyRecorder();
    ShellNotifyRecorder(const ShellNotifyRecorder&) = delete;
    ShellNotifyRecorder& operator=(const ShellNotifyRecorder&) = delete;

    // False when this program's import of Shell_NotifyIconA was not found.
    bool IsRecording() const { return slot_ != nullptr; }
    // The icon of the last add or modify that carried one; null before any.
    HICON LastIcon() const;
    int Calls() const;

private:
    FARPROC* slot_ = nullptr;  // this program's import address entry
    FARPROC original_ = nullptr;
};

// The width of an icon's colour bitmap, 0 when it has none.
int IconWidth(HICON icon);

}  // namespace kestrin::test
