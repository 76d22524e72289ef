// The window's controls and popup menu, created once with the window; frmMainLayout.cpp
// places them and gives them their fonts and pictures for each DPI.

#include "frmMain.h"

#include "Strip.h"
#include "resource.h"

namespace kestrin {
namespace {

UniqueMenu CreatePopup() {
    UniqueMenu menu(CreatePopupMenu());
    AppendMenuW(menu.get(), MF_STRING, IDM_SHOW, L"Show");
    AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu.get(), MF_STRING, IDM_EXIT, L"Exit");
    return menu;
}

}  // namespace

// Placed and given their fonts by LayOut (frmMainLayout.cpp).
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

}  // namespace kestrin
