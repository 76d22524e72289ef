#pragma once
// The picture areas along the window's top and bottom edges (l_top, l_bottom).

#include <windows.h>

namespace kestrin {

bool RegisterStripClass(HINSTANCE instance);

// A strip shows its bitmap from its top-left corner, stretched across its width. Presses go through it to
// the window beneath, and its children's notifications go up to that window too.
HWND CreateStrip(HWND parent, int id);
// The bitmap stays the caller's; the strip shows it from its next paint.
void SetStripPicture(HWND strip, HBITMAP picture);

}  // namespace kestrin
