#pragma once
// Identifiers shared by the code, the resource script and the tests that find controls.

#define IDI_KESTRIN 1

#define IDC_L_TOP 101
#define IDC_L_ICO 102
#define IDC_L_TEXT 103
#define IDC_IMG_CLOSE 104
#define IDC_FRM1 105
#define IDC_T_PUBLIC 106
#define IDC_BTN_REFRESH 107
#define IDC_FRM2 108
#define IDC_T_HOST 109
#define IDC_L_BOTTOM 110

#define IDM_SHOW 201
#define IDM_EXIT 202

#define KESTRIN_WINDOW_CLASS L"Kestrin.frmMain"
// The notification icon's callback: a private message, never a real pointer movement.
#define WM_KESTRIN_TRAY (WM_APP + 1)
// Posted by the IPv6 address-change callback, from a system thread.
#define WM_KESTRIN_ADDRESS_CHANGED (WM_APP + 2)
// Test builds only: the window signals its own IPv4 address-change event, as Windows
// does on a change. Addresses cannot be changed under Wine, where the tests run.
#define WM_KESTRIN_TEST_SIGNAL_ADDRESS_EVENT (WM_APP + 3)

#define IDB_STRIP_TOP 10
#define IDB_STRIP_BOTTOM 11
#define IDB_CLOSE 12
