#include "Pictures.h"

#include "Layout.h"
#include "resource.h"

namespace kestrin {
namespace {

// The strips are one column each: every row is one colour.
constexpr int kStripWidth = 1;
constexpr int kStripHeight = 32;
constexpr int kCloseSize = 16;
constexpr int kSmallIcon = 16;
constexpr int kLargeIcon = 32;

// LoadImage stretches a square picture to the size asked for; at 96 DPI, its own size.
UniqueBitmap LoadBitmapScaled(HINSTANCE instance, int id, int size, int dpi) {
    const int scaled = layout::Scale(size, dpi);
    return UniqueBitmap(static_cast<HBITMAP>(LoadImageW(
        instance, MAKEINTRESOURCEW(id), IMAGE_BITMAP, scaled, scaled, LR_CREATEDIBSECTION)));
}

// Only the height scales: the column is stretched across the strip when painted.
UniqueBitmap LoadStripColumn(HINSTANCE instance, int id, int dpi) {
    return UniqueBitmap(static_cast<HBITMAP>(
        LoadImageW(instance, MAKEINTRESOURCEW(id), IMAGE_BITMAP, kStripWidth,
                   layout::Scale(kStripHeight, dpi), LR_CREATEDIBSECTION)));
}

UniqueIcon LoadIconScaled(HINSTANCE instance, int size, int dpi) {
    const int scaled = layout::Scale(size, dpi);
    return UniqueIcon(static_cast<HICON>(
        LoadImageW(instance, MAKEINTRESOURCEW(IDI_KESTRIN), IMAGE_ICON, scaled, scaled, 0)));
}

}  // namespace

Pictures LoadPictures(HINSTANCE instance, int dpi) {
    Pictures pictures;
    pictures.topStrip = LoadStripColumn(instance, IDB_STRIP_TOP, dpi);
    pictures.bottomStrip = LoadStripColumn(instance, IDB_STRIP_BOTTOM, dpi);
    pictures.closeImage = LoadBitmapScaled(instance, IDB_CLOSE, kCloseSize, dpi);
    pictures.smallIcon = LoadIconScaled(instance, kSmallIcon, dpi);
    pictures.largeIcon = LoadIconScaled(instance, kLargeIcon, dpi);
    if (pictures.topStrip) pictures.topStripBrush.reset(CreatePatternBrush(pictures.topStrip.get()));
    return pictures;
}

}  // namespace kestrin
