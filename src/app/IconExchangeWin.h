#pragma once
// Hands an icon record to the shell's notification area.

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

}  // namespace kestrin
