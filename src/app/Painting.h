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

// An object selected into a DC for as long as this lives; then the DC's previous one again.
class Selection {
public:
    Selection(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
    ~Selection() { SelectObject(dc_, previous_); }
    Selection(const Selection&) = delete;
    Selection& operator=(const Selection&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// A push button whose face is white instead of the system's button colour.
void DrawWhiteButton(const DRAWITEMSTRUCT& item);
// What its caption keeps clear of on each side: the 2-pixel edge, the focus rectangle
// inside it and a pixel between.
constexpr int kWhiteButtonCaptionMargin = 4;

// A picture with white as its transparent colour, over the strip it lies on.
void DrawOverStrip(const DRAWITEMSTRUCT& item, HBITMAP picture, HBRUSH stripBrush);

// Aligns a strip's pattern brush, drawn in a child's DC, with the strip beneath the child.
void AlignStripBrush(HDC childDc, HWND child);

}  // namespace kestrin
