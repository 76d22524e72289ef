// The window's controls, fonts and popup menu, created once with the window.

#include "frmMain.h"

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

void frmMain::CreateFonts() {
    windowFont_ = MakeFont(layout::Scale(layout::kWindowFontPx, dpi_), FW_NORMAL, false,
                           L"MS Sans Serif");
    boxFont_ = MakeFont(layout::Scale(layout::kWindowFontPx, dpi_), FW_BOLD, false,
                        L"MS Sans Serif");
    labelFont_ = MakeFont(layout::Scale(layout::kLabelFontPx, dpi_), FW_BOLD, true, L"Arial");
}

RECT frmMain::Place(const layout::Box& box) const {
    const auto scaled = layout::Scale(box, dpi_);
    return {scaled.left, scaled.top, scaled.left + scaled.width, scaled.top + scaled.height};
}

HWND frmMain::AddControl(HWND parent, const wchar_t* kind, const wchar_t* text, DWORD style,
                         int id, const RECT& place, HFONT font, DWORD exStyle) {
    HWND control = CreateWindowExW(exStyle, kind, text, WS_CHILD | WS_VISIBLE | style, place.left,
                                   place.top, place.right - place.left, place.bottom - place.top,
                                   parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                   instance_, nullptr);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return control;
}

// Children are created in tab order: the first created is the first tab stop.
void frmMain::CreateControls() {
    CreateFonts();
    const DWORD box = ES_READONLY | ES_AUTOHSCROLL | WS_TABSTOP;  // read-only, yet copyable
    btn_refresh = AddControl(hwnd_, L"BUTTON", L"refresh now !!!", BS_OWNERDRAW | WS_TABSTOP,
                             IDC_BTN_REFRESH, Place(layout::btn_refresh), windowFont_.get());
    Frm1 = AddControl(hwnd_, L"BUTTON", L"IP Adress (Public)", BS_GROUPBOX, IDC_FRM1,
                      Place(layout::Frm1), windowFont_.get());
    t_public = AddControl(hwnd_, L"EDIT", L"", box, IDC_T_PUBLIC, Place(layout::t_public),
                          boxFont_.get(), WS_EX_CLIENTEDGE);
    Frm2 = AddControl(hwnd_, L"BUTTON", L"Hostname (Public)", BS_GROUPBOX, IDC_FRM2,
                      Place(layout::Frm2), windowFont_.get());
    t_host = AddControl(hwnd_, L"EDIT", L"", box, IDC_T_HOST, Place(layout::t_host),
                        boxFont_.get(), WS_EX_CLIENTEDGE);
    l_top = CreateStrip(hwnd_, IDC_L_TOP, Place(layout::l_top), pictures_.topStrip.get());
    l_bottom =
        CreateStrip(hwnd_, IDC_L_BOTTOM, Place(layout::l_bottom), pictures_.bottomStrip.get());
    l_text = AddControl(l_top, L"STATIC", L"Kestrin", SS_LEFT | SS_NOPREFIX, IDC_L_TEXT,
                        Place(layout::l_text), labelFont_.get());
    l_ico = AddControl(l_top, L"STATIC", L"", SS_ICON | SS_CENTERIMAGE, IDC_L_ICO,
                       Place(layout::l_ico), nullptr);
    SendMessageW(l_ico, STM_SETIMAGE, IMAGE_ICON,
                 reinterpret_cast<LPARAM>(pictures_.smallIcon.get()));
    img_close = AddControl(l_top, L"STATIC", L"", SS_OWNERDRAW | SS_NOTIFY, IDC_IMG_CLOSE,
                           Place(layout::img_close), nullptr);
    m_ = CreatePopup();
    SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(pictures_.smallIcon.get()));
    SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(pictures_.largeIcon.get()));
}

}  // namespace kestrin
