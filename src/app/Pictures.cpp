#include "Pictures.h"

#include "Dpi.h"
#include "Layout.h"
#include "resource.h"

namespace kestrin {
namespace {

// The strips are one column each: every row is one colour.
constexpr int kStripWidth = 1;
constexpr int kStripHeight = 32;
constexpr int kCloseSize = 16;

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

// The icon has a frame for each size Windows asks for up to 150 %, so none is stretched.
UniqueIcon LoadIconSized(HINSTANCE instance, int metric, int dpi) {
    const int size = SystemMetricForDpi(metric, dpi);
    return UniqueIcon(static_cast<HICON>(
        LoadImageW(instance, MAKEINTRESOURCEW(IDI_KESTRIN), IMAGE_ICON, size, size, 0)));
}

}  // namespace

Pictures LoadPictures(HINSTANCE instance, int dpi) {
    Pictures pictures;
    pictures.topStrip = LoadStripColumn(instance, IDB_STRIP_TOP, dpi);
    pictures.bottomStrip = LoadStripColumn(instance, IDB_STRIP_BOTTOM, dpi);
    pictures.closeImage = LoadBitmapScaled(instance, IDB_CLOSE, kCloseSize, dpi);
    pictures.smallIcon = LoadIconSized(instance, SM_CXSMICON, dpi);
    pictures.largeIcon = LoadIconSized(instance, SM_CXICON, dpi);
    if (pictures.topStrip) pictures.topStripBrush.reset(CreatePatternBrush(pictures.topStrip.get()));
    return pictures;
}

}  // namespace kestrin
