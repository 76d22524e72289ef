#pragma once
// The owner-drawn parts of the window.

#include <windows.h>

namespace kestrin {

// A memory DC with a bitmap selected into it, for copying the bitmap elsewhere.
class BitmapDc {
public:
    BitmapDc(HDC like, HBITMAP bitmap);
    ~BitmapDc();
    BitmapDc(const BitmapDc&) = delete;
    BitmapDc& operator=(const BitmapDc&) = delete;

    HDC get() const noexcept { return dc_; }
    SIZE size() const noexcept { return size_; }

private:
    HDC dc_;
    HGDIOBJ previous_;
    SIZE size_{};
};

// A push button whose face is white instead of the system's button colour.
void DrawWhiteButton(const DRAWITEMSTRUCT& item);

// A picture with white as its transparent colour, over the strip it lies on.
void DrawOverStrip(const DRAWITEMSTRUCT& item, HBITMAP picture, HBRUSH stripBrush);

// Aligns a strip's pattern brush, drawn in a child's DC, with the strip beneath the child.
void AlignStripBrush(HDC childDc, HWND child);

}  // namespace kestrin
