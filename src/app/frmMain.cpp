// The program's one window: start-up, the refresh timer, the commands of its button,
// close picture and menu, the lookup cycle, the tray icon's callbacks and the drag by the
// strips. Its controls are made in frmMainControls.cpp and laid out in frmMainLayout.cpp.

#include "frmMain.h"

#include <windowsx.h>

#include <cstdint>
#include <iterator>

#include "BuildConfig.h"
#include "Dpi.h"
#include "LookupPortWin.h"
#include "Painting.h"
#include "modWindow.h"
#include "systray.h"
#include "Strip.h"
#include "TrayCallback.h"
#include "Version.h"
#include "resource.h"

namespace kestrin {
namespace {

constexpr UINT_PTR kRefreshTimer = 1;
constexpr UINT_PTR kIconRetryTimer = 2;
constexpr UINT kTrayIconId = 1;

// The variable's value ending in a NUL, the empty text when it is not set; false only
// when there is no memory for it.
HeapArray<wchar_t> EnvironmentVariable(const wchar_t* name) {
    const DWORD size = GetEnvironmentVariableW(name, nullptr, 0);
    HeapArray<wchar_t> value(size > 0 ? size : 1);
    if (!value) return value;
    const DWORD length = size > 0 ? GetEnvironmentVariableW(name, value.data(), size) : 0;
    // A value that grew between the two calls does not fit: taken as unset.
    const DWORD kept = length < value.size() ? length : 0;
    value.data()[kept] = L'\0';
    value.Shorten(kept);
    return value;
}

void AppendVersion(HWND label) {
    wchar_t caption[64];
    const int length = GetWindowTextW(label, caption, static_cast<int>(std::size(caption)));
    wchar_t versioned[std::size(caption)];
    WithVersion({caption, static_cast<std::size_t>(length)}, versioned);
    SetWindowTextW(label, versioned);
}

}  // namespace

frmMain::frmMain(HINSTANCE instance, const wchar_t* lookupUrl, unsigned refreshIntervalMs)
    : instance_(instance), lookupUrl_(lookupUrl), refreshIntervalMs_(refreshIntervalMs) {}

frmMain::~frmMain() {
    if (hwnd_) DestroyWindow(hwnd_);
}

bool frmMain::Load() {
    if (!CreateWindowHidden()) return false;
    IconLoad();
    AppendVersion(l_text);
    TempDir = EnvironmentVariable(L"TEMP");
    if (!TempDir) return false;
    replyFile_ = HeapArray<wchar_t>(ReplyFileChars(TempDir));
    if (!replyFile_) return false;
    WriteReplyFilePath(TempDir, {replyFile_.data(), replyFile_.size()});
    lookup_.emplace(lookupUrl_, replyFile_.data());
    RefreshInfo();
    SetTimer(hwnd_, kRefreshTimer, refreshIntervalMs_, nullptr);
    WatchNetwork();
    return true;
}

void frmMain::Show() {
    ShowWindow(hwnd_, SW_SHOW);
    SetFocus(btn_refresh);
}

bool frmMain::CreateWindowHidden() {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance_;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = KESTRIN_WINDOW_CLASS;
    const bool registered =
        RegisterClassExW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    if (!registered || !RegisterStripClass(instance_)) return false;

    CreateWindowExW(kWindowExStyle, KESTRIN_WINDOW_CLASS, L"", kWindowStyle, 0, 0, 0, 0, nullptr,
                    nullptr, instance_, this);
    if (!hwnd_) return false;
    LayOutCentred();
    return true;
}

void frmMain::IconLoad() {
    trayIcon_.emplace(TrayIcon::Setup{hwnd_, kTrayIconId, WM_KESTRIN_TRAY,
                                      pictures_.smallIcon.get(), kIconRetryTimer});
}

void frmMain::IconModify() {
    if (trayIcon_) trayIcon_->Modify();
}

LRESULT CALLBACK frmMain::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {  // attach the object before any other message
        auto* self = static_cast<frmMain*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->hwnd_ = hwnd;
    }
    auto* self = reinterpret_cast<frmMain*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
    const LRESULT result = self->OnMessage(message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
    }
    return result;
}

LRESULT frmMain::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        CreateControls();
        return 0;
    case WM_COMMAND:
        OnCommand(LOWORD(wParam), HIWORD(wParam));
        return 0;
    case WM_KESTRIN_TRAY:
        OnTrayCallback(lParam);
        return 0;
    case WM_LBUTTONDOWN:
        OnMouseDown({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        return 0;
    case WM_TIMER:
        if (wParam == kRefreshTimer) OnRefreshTimer();
        if (wParam == kIconRetryTimer && trayIcon_) trayIcon_->OnRetryTimer();
        if (wParam == kFreshnessTimer) OnFreshnessTimer();
        return 0;
    case WM_POWERBROADCAST:
        OnPowerBroadcast(wParam);
        return TRUE;
    case WM_KESTRIN_ADDRESS_CHANGED:
        OnNetworkChanged();
        return 0;
#ifdef KESTRIN_TEST_SEAMS
    case WM_KESTRIN_TEST_SIGNAL_ADDRESS_EVENT:
        OnTestSignalAddressEvent();
        return 0;
#endif
    case WM_CTLCOLORSTATIC:
        return OnCtlColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_DRAWITEM:
        OnDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    case kDpiChanged:
        OnDpiChanged(LOWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
        return 0;
    case kGetDpiScaledSize:  // so that the rectangle Windows then suggests is exactly ours
        *reinterpret_cast<SIZE*>(lParam) = OuterSize(static_cast<int>(wParam));
        return TRUE;
    case WM_QUERYENDSESSION:
        return TRUE;
    case WM_ENDSESSION:
        OnEndSession(wParam != FALSE);
        return 0;
    case WM_DESTROY:
        OnDestroy();
        return 0;
    default:
        if (trayIcon_ && trayIcon_->OnShellRestart(message)) return 0;
        return DefWindowProcW(hwnd_, message, wParam, lParam);
    }
}

void frmMain::OnTrayCallback(LPARAM lParam) {
    IconModify();
    switch (DecodeTrayCallback(static_cast<std::uint32_t>(lParam))) {
    case TrayAction::ShowWindow:
        m_Show_Click();
        break;
    case TrayAction::OpenMenu:
        OpenPopupMenu();
        break;
    case TrayAction::None:
        break;
    }
}

void frmMain::OpenPopupMenu() {
    POINT pointer;
    GetCursorPos(&pointer);
    {
        const MenuForegroundHook hook;
        TrackPopupMenu(m_.get(), TPM_RIGHTBUTTON, pointer.x, pointer.y, 0, hwnd_, nullptr);
    }
    // Lets the menu's own clean-up run before the next click on the icon.
    PostMessageW(hwnd_, WM_NULL, 0, 0);
}

// Presses on the strips, and on the icon and label lying on the top strip, fall through
// to the window: they move it. A press anywhere else on the bare window does not.
void frmMain::OnMouseDown(POINT point) {
    for (HWND strip : {l_top, l_bottom}) {
        RECT place;
        GetWindowRect(strip, &place);
        MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&place), 2);
        if (PtInRect(&place, point)) {
            DragWindow(hwnd_);
            return;
        }
    }
}

void frmMain::OnCommand(int id, int code) {
    switch (id) {
    case IDC_BTN_REFRESH:
        if (code == BN_CLICKED) btn_refresh_Click();
        break;
    case IDC_IMG_CLOSE:
        if (code == STN_CLICKED) img_close_Click();
        break;
    case IDM_SHOW:
        m_Show_Click();
        break;
    case IDM_EXIT:
        m_Exit_Click();
        break;
    default:
        break;
    }
}

// What lies on the top strip shows the strip through; everything else is on white.
LRESULT frmMain::OnCtlColor(HDC dc, HWND control) {
    if (GetParent(control) == l_top && pictures_.topStripBrush) {
        SetBkMode(dc, TRANSPARENT);
        AlignStripBrush(dc, control);
        return reinterpret_cast<LRESULT>(pictures_.topStripBrush.get());
    }
    SetBkColor(dc, RGB(255, 255, 255));
    return reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH));
}

void frmMain::OnDrawItem(const DRAWITEMSTRUCT& item) {
    if (item.hwndItem == btn_refresh) DrawWhiteButton(item);
    if (item.hwndItem == img_close)
        DrawOverStrip(item, pictures_.closeImage.get(), pictures_.topStripBrush.get());
}

// The session is ending: unload like any other way out, so the icon goes too.
void frmMain::OnEndSession(bool ending) {
    if (ending) DestroyWindow(hwnd_);
}

void frmMain::OnDestroy() {
    trayIcon_.reset();  // the icon goes before the window
    KillTimer(hwnd_, kRefreshTimer);
    StopWatchingNetwork();
    PostQuitMessage(0);
}

CycleOutcome frmMain::RefreshInfo() {
    LookupPortWin port(t_public, t_host, kDownloadDeadlineMs);
    return lookup_->Run(port);
}

void frmMain::OnRefreshTimer() {
    AfterOtherLookup(RefreshInfo());
}

void frmMain::btn_refresh_Click() {
    const bool hadFocus = GetFocus() == btn_refresh;
    EnableWindow(btn_refresh, FALSE);
    AfterOtherLookup(RefreshInfo());
    EnableWindow(btn_refresh, TRUE);
    if (hadFocus) SetFocus(btn_refresh);  // disabling it dropped the focus
}

void frmMain::img_close_Click() {
    ShowWindow(hwnd_, SW_HIDE);
}

void frmMain::m_Show_Click() {
    ShowWindow(hwnd_, SW_SHOW);
    SetForegroundWindow(hwnd_);
}

void frmMain::m_Exit_Click() {
    DestroyWindow(hwnd_);
}

}  // namespace kestrin
