#include "Painting.h"

#include <iterator>

namespace kestrin {

BitmapDc::BitmapDc(HDC like, HBITMAP bitmap)
    : dc_(CreateCompatibleDC(like)), previous_(SelectObject(dc_, bitmap)) {
    BITMAP info{};
    GetObjectW(bitmap, sizeof info, &info);
    size_ = {info.bmWidth, info.bmHeight};
}

BitmapDc::~BitmapDc() {
    SelectObject(dc_, previous_);
    DeleteDC(dc_);
}

void DrawWhiteButton(const DRAWITEMSTRUCT& item) {
    HDC dc = item.hDC;
    RECT face = item.rcItem;
    const bool pressed = (item.itemState & ODS_SELECTED) != 0;
    FillRect(dc, &face, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    DrawEdge(dc, &face, pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT | BF_ADJUST);

    wchar_t caption[64] = {};
    GetWindowTextW(item.hwndItem, caption, static_cast<int>(std::size(caption)));
    const bool disabled = (item.itemState & ODS_DISABLED) != 0;
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(disabled ? COLOR_GRAYTEXT : COLOR_BTNTEXT));
    RECT text = face;
    if (pressed) OffsetRect(&text, 1, 1);
    DrawTextW(dc, caption, -1, &text, DT_CENTER | DT_VCENTER | DT_SINGLELINE);

    if (item.itemState & ODS_FOCUS) {
        InflateRect(&face, -1, -1);
        DrawFocusRect(dc, &face);
    }
}

void AlignStripBrush(HDC childDc, HWND child) {
    RECT place;
    GetWindowRect(child, &place);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&place), 2);
    SetBrushOrgEx(childDc, -place.left, -place.top, nullptr);
}

void DrawOverStrip(const DRAWITEMSTRUCT& item, HBITMAP picture, HBRUSH stripBrush) {
    HDC dc = item.hDC;
    AlignStripBrush(dc, item.hwndItem);
    FillRect(dc, &item.rcItem, stripBrush);
    if (!picture) return;
    const BitmapDc source(dc, picture);
    const SIZE size = source.size();
    TransparentBlt(dc, 0, 0, size.cx, size.cy, source.get(), 0, 0, size.cx, size.cy,
                   RGB(255, 255, 255));
}

}  // namespace kestrin
