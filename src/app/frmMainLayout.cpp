// The window laid out for a DPI: its size, every control's place and font, the strips, the
// close picture and the icons, made afresh at start-up and at each change of DPI.

#include "frmMain.h"

#include <utility>

#include "Dpi.h"
#include "Strip.h"

namespace kestrin {
namespace {

UniqueFont MakeFont(int pixelHeight, int weight, bool italic, const wchar_t* face) {
    return UniqueFont(CreateFontW(-pixelHeight, 0, 0, 0, weight, italic, FALSE, FALSE,
                                  ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                  DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, face));
}

}  // namespace

void frmMain::LayOutCentred() {
    const int dpi = ScreenDpi();
    const SIZE outer = OuterSize(dpi);
    LayOut(dpi, {(GetSystemMetrics(SM_CXSCREEN) - outer.cx) / 2,
                 (GetSystemMetrics(SM_CYSCREEN) - outer.cy) / 2});
}

// Moved to a monitor of another DPI, or the user changed its scale. Windows 8.1 suggests a
// rectangle of its own making, so only its corner is taken; the size is always the layout's.
void frmMain::OnDpiChanged(int dpi, const RECT& suggested) {
    LayOut(dpi, {suggested.left, suggested.top});
}

SIZE frmMain::OuterSize(int dpi) const {
    const SIZE inner{layout::Scale(layout::kInnerWidth, dpi),
                     layout::Scale(layout::kInnerHeight, dpi)};
    return OuterSizeForDpi(inner, kWindowStyle, kWindowExStyle, dpi);
}

RECT frmMain::Place(const layout::Box& box) const {
    const auto scaled = layout::Scale(box, dpi_);
    return {scaled.left, scaled.top, scaled.left + scaled.width, scaled.top + scaled.height};
}

void frmMain::LayOut(int dpi, POINT corner) {
    dpi_ = dpi;
    // The new fonts and pictures are in use before the old ones go, so no control is ever
    // left holding a deleted one.
    UniqueFont windowFont = MakeFont(layout::Scale(layout::kWindowFontPx, dpi), FW_NORMAL, false,
                                     L"MS Sans Serif");
    UniqueFont boxFont = MakeFont(layout::Scale(layout::kWindowFontPx, dpi), FW_BOLD, false,
                                  L"MS Sans Serif");
    UniqueFont labelFont =
        MakeFont(layout::Scale(layout::kLabelFontPx, dpi), FW_BOLD, true, L"Arial");
    Pictures pictures = LoadPictures(instance_, dpi);
    PlaceControls(windowFont.get(), boxFont.get(), labelFont.get());
    ShowPictures(pictures);
    windowFont_ = std::move(windowFont);
    boxFont_ = std::move(boxFont);
    labelFont_ = std::move(labelFont);
    pictures_ = std::move(pictures);

    const SIZE outer = OuterSize(dpi);
    SetWindowPos(hwnd_, nullptr, corner.x, corner.y, outer.cx, outer.cy,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void frmMain::PlaceControls(HFONT windowFont, HFONT boxFont, HFONT labelFont) {
    const struct {
        HWND control;
        const layout::Box& box;
        HFONT font;
    } controls[] = {
        {btn_refresh, layout::btn_refresh, windowFont}, {Frm1, layout::Frm1, windowFont},
        {t_public, layout::t_public, boxFont},          {Frm2, layout::Frm2, windowFont},
        {t_host, layout::t_host, boxFont},              {l_top, layout::l_top, nullptr},
        {l_bottom, layout::l_bottom, nullptr},          {l_text, layout::l_text, labelFont},
        {l_ico, layout::l_ico, nullptr},                {img_close, layout::img_close, nullptr},
    };
    for (const auto& [control, box, font] : controls) {
        const RECT place = Place(box);
        SetWindowPos(control, nullptr, place.left, place.top, place.right - place.left,
                     place.bottom - place.top, SWP_NOZORDER | SWP_NOACTIVATE);
        if (font) SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
}

// The tray gets the small icon too, so it is as sharp as the window's at this DPI.
void frmMain::ShowPictures(const Pictures& pictures) {
    SetStripPicture(l_top, pictures.topStrip.get());
    SetStripPicture(l_bottom, pictures.bottomStrip.get());
    const auto small = reinterpret_cast<LPARAM>(pictures.smallIcon.get());
    SendMessageW(l_ico, STM_SETIMAGE, IMAGE_ICON, small);
    SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, small);
    SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(pictures.largeIcon.get()));
    if (trayIcon_) trayIcon_->ChangeIcon(pictures.smallIcon.get());
}

}  // namespace kestrin
