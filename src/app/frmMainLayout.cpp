// The window laid out for a DPI: its size, every control's place and font, the strips, the
// close picture and the icons, made afresh at start-up and at each change of DPI.

#include "frmMain.h"

#include <iterator>
#include <utility>

#include "Dpi.h"
#include "Painting.h"
#include "Strip.h"

namespace kestrin {
namespace {

// The window font's face, then faces like it, in that order, for where it is missing or
// too wide. A Wine with only the system's own fonts has none of the first five, and the
// stand-in it picks for the first is too wide for the button's caption.
constexpr const wchar_t* kWindowFaces[] = {L"MS Sans Serif", L"Microsoft Sans Serif", L"Tahoma",
                                           L"Arial", L"Liberation Sans",
                                           L"DejaVu Sans Condensed"};

UniqueFont MakeFont(int pixelHeight, int weight, bool italic, const wchar_t* face) {
    return UniqueFont(CreateFontW(-pixelHeight, 0, 0, 0, weight, italic, FALSE, FALSE,
                                  ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                  DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, face));
}

int CALLBACK NoteFaceFound(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
    *reinterpret_cast<bool*>(found) = true;
    return 0;  // one is enough
}

// The font mapper gives some other face for one the system lacks; only the list tells.
bool HasFace(HDC dc, const wchar_t* face) {
    LOGFONTW wanted{};
    wanted.lfCharSet = ANSI_CHARSET;
    lstrcpynW(wanted.lfFaceName, face, static_cast<int>(std::size(wanted.lfFaceName)));
    bool found = false;
    EnumFontFamiliesExW(dc, &wanted, NoteFaceFound, reinterpret_cast<LPARAM>(&found), 0);
    return found;
}

int TextWidth(HDC dc, HFONT font, const wchar_t* text, int length) {
    const Selection selected(dc, font);
    SIZE extent{};
    GetTextExtentPoint32W(dc, text, length, &extent);
    return extent.cx;
}

// The first of the faces that the system has and that the button's caption, at this
// height, fits in between the button's edges; the designed one when none does.
const wchar_t* WindowFace(HWND button, int buttonWidth, int pixelHeight) {
    wchar_t caption[64] = {};
    const int length = GetWindowTextW(button, caption, static_cast<int>(std::size(caption)));
    const int room = buttonWidth - 2 * kWhiteButtonCaptionMargin;
    const UniqueDc dc(CreateCompatibleDC(nullptr));
    for (const wchar_t* face : kWindowFaces) {
        if (!HasFace(dc.get(), face)) continue;
        const UniqueFont font = MakeFont(pixelHeight, FW_NORMAL, false, face);
        if (TextWidth(dc.get(), font.get(), caption, length) <= room) return face;
    }
    return kWindowFaces[0];
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
    const int windowFontPx = layout::Scale(layout::kWindowFontPx, dpi);
    const RECT button = Place(layout::btn_refresh);
    const wchar_t* face = WindowFace(btn_refresh, button.right - button.left, windowFontPx);
    UniqueFont windowFont = MakeFont(windowFontPx, FW_NORMAL, false, face);
    UniqueFont boxFont = MakeFont(windowFontPx, FW_BOLD, false, face);
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
