#pragma once
// Moving the window, which has no title bar to be dragged by.

#include <windows.h>

namespace kestrin {

// Hands the window to the system's own move, as a press on a title bar would.
void DragWindow(HWND window);

}  // namespace kestrin
