#pragma once
// What Windows sizes by the DPI: icons and a window's frame. Windows 10 1607 gives them for
// any DPI; before it there is one DPI, the system's, and its sizes are scaled. Also the
// messages a window gets when its DPI changes.

#include <windows.h>

namespace kestrin {

// Windows 8.1 and later; the headers for XP do not name them.
constexpr UINT kDpiChanged = 0x02E0;        // WM_DPICHANGED
constexpr UINT kGetDpiScaledSize = 0x02E4;  // WM_GETDPISCALEDSIZE

// The screen's DPI, the system's: every window starts at it.
int ScreenDpi();

// A size metric such as SM_CXSMICON at a DPI.
int SystemMetricForDpi(int metric, int dpi);

// The outer size of a window whose inner area is `inner` at a DPI, its frame included.
SIZE OuterSizeForDpi(SIZE inner, DWORD style, DWORD exStyle, int dpi);

}  // namespace kestrin
