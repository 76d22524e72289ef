#include "modWindow.h"

namespace kestrin {

void DragWindow(HWND window) {
    ReleaseCapture();  // the system's move loop takes the mouse over
    SendMessageW(window, WM_NCLBUTTONDOWN, HTCAPTION, 0);
}

}  // namespace kestrin
