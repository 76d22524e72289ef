#include "Pictures.h"

#include "Layout.h"
#include "resource.h"

namespace kestrin {
namespace {

constexpr int kStripWidth = 800;
constexpr int kStripHeight = 32;
constexpr int kCloseSize = 16;
constexpr int kSmallIcon = 16;
constexpr int kLargeIcon = 32;

// LoadImage stretches to the size asked for; at 96 DPI it is the picture's own size.
UniqueBitmap LoadBitmapScaled(HINSTANCE instance, int id, int width, int height, int dpi) {
    return UniqueBitmap(static_cast<HBITMAP>(
        LoadImageW(instance, MAKEINTRESOURCEW(id), IMAGE_BITMAP, layout::Scale(width, dpi),
                   layout::Scale(height, dpi), LR_CREATEDIBSECTION)));
}

UniqueIcon LoadIconScaled(HINSTANCE instance, int size, int dpi) {
    const int scaled = layout::Scale(size, dpi);
    return UniqueIcon(static_cast<HICON>(
        LoadImageW(instance, MAKEINTRESOURCEW(IDI_KESTRIN), IMAGE_ICON, scaled, scaled, 0)));
}

}  // namespace

Pictures LoadPictures(HINSTANCE instance, int dpi) {
    Pictures pictures;
    pictures.topStrip = LoadBitmapScaled(instance, IDB_STRIP_TOP, kStripWidth, kStripHeight, dpi);
    pictures.bottomStrip =
        LoadBitmapScaled(instance, IDB_STRIP_BOTTOM, kStripWidth, kStripHeight, dpi);
    pictures.closeImage = LoadBitmapScaled(instance, IDB_CLOSE, kCloseSize, kCloseSize, dpi);
    pictures.smallIcon = LoadIconScaled(instance, kSmallIcon, dpi);
    pictures.largeIcon = LoadIconScaled(instance, kLargeIcon, dpi);
    if (pictures.topStrip) pictures.topStripBrush.reset(CreatePatternBrush(pictures.topStrip.get()));
    return pictures;
}

}  // namespace kestrin
