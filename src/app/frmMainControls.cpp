// The window's controls and popup menu, created once with the window, and their layout,
// fonts and pictures for a DPI, made afresh for each.

#include "frmMain.h"

#include <utility>

#include "Strip.h"
#include "resource.h"

namespace kestrin {
namespace {

UniqueFont MakeFont(int pixelHeight, int weight, bool italic, const wchar_t* face) {
    return UniqueFont(CreateFontW(-pixelHeight, 0, 0, 0, weight, italic, FALSE, FALSE,
                                  ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                  DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, face));
}

UniqueMenu CreatePopup() {
    UniqueMenu menu(CreatePopupMenu());
    AppendMenuW(menu.get(), MF_STRING, IDM_SHOW, L"Show");
    AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu.get(), MF_STRING, IDM_EXIT, L"Exit");
    return menu;
}

}  // namespace

RECT frmMain::Place(const layout::Box& box) const {
    const auto scaled = layout::Scale(box, dpi_);
    return {scaled.left, scaled.top, scaled.left + scaled.width, scaled.top + scaled.height};
}

// Placed and given their fonts by LayOut.
HWND frmMain::AddControl(HWND parent, const wchar_t* kind, const wchar_t* text, DWORD style,
                         int id, DWORD exStyle) {
    return CreateWindowExW(exStyle, kind, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance_, nullptr);
}

// Children are created in tab order: the first created is the first tab stop.
void frmMain::CreateControls() {
    const DWORD box = ES_READONLY | ES_AUTOHSCROLL | WS_TABSTOP;  // read-only, yet copyable
    btn_refresh = AddControl(hwnd_, L"BUTTON", L"refresh now !!!", BS_OWNERDRAW | WS_TABSTOP,
                             IDC_BTN_REFRESH);
    Frm1 = AddControl(hwnd_, L"BUTTON", L"IP Adress (Public)", BS_GROUPBOX, IDC_FRM1);
    t_public = AddControl(hwnd_, L"EDIT", L"", box, IDC_T_PUBLIC, WS_EX_CLIENTEDGE);
    Frm2 = AddControl(hwnd_, L"BUTTON", L"Hostname (Public)", BS_GROUPBOX, IDC_FRM2);
    t_host = AddControl(hwnd_, L"EDIT", L"", box, IDC_T_HOST, WS_EX_CLIENTEDGE);
    l_top = CreateStrip(hwnd_, IDC_L_TOP);
    l_bottom = CreateStrip(hwnd_, IDC_L_BOTTOM);
    l_text = AddControl(l_top, L"STATIC", L"Kestrin", SS_LEFT | SS_NOPREFIX, IDC_L_TEXT);
    l_ico = AddControl(l_top, L"STATIC", L"", SS_ICON | SS_CENTERIMAGE, IDC_L_ICO);
    img_close = AddControl(l_top, L"STATIC", L"", SS_OWNERDRAW | SS_NOTIFY, IDC_IMG_CLOSE);
    m_ = CreatePopup();
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
