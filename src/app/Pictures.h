#pragma once
// The window's pictures at the sizes a DPI asks for, loaded afresh for each DPI.

#include <windows.h>

#include "Handles.h"

namespace kestrin {

struct Pictures {
    UniqueBitmap topStrip;
    UniqueBitmap bottomStrip;
    UniqueBitmap closeImage;
    UniqueIcon smallIcon;  // l_ico, the window's small icon and the tray icon
    UniqueIcon largeIcon;
    // Paints what lies behind the label, the icon and the close picture on the top strip.
    UniqueBrush topStripBrush;
};

Pictures LoadPictures(HINSTANCE instance, int dpi);

}  // namespace kestrin
