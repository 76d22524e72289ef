#pragma once
// The program's one window: its start-up, commands, timer, lookup cycle and tray icon.

#include <windows.h>

#include <optional>

#include "AddressChangeWatch.h"
#include "Freshness.h"
#include "Handles.h"
#include "IconExchangeWin.h"
#include "Layout.h"
#include "LookupCycle.h"
#include "Memory.h"
#include "Pictures.h"
#include "SuspendResumeNotification.h"

namespace kestrin {

class frmMain {
public:
    // lookupUrl is NUL-terminated and outlives the window; the timer looks up every
    // refreshIntervalMs.
    frmMain(HINSTANCE instance, const wchar_t* lookupUrl, unsigned refreshIntervalMs);
    frmMain(const frmMain&) = delete;
    frmMain& operator=(const frmMain&) = delete;
    ~frmMain();

    // Creates the window hidden and runs start-up; false when the window cannot exist or
    // there is no memory for start-up.
    bool Load();
    // Shows the window, centred, with the focus on the refresh button.
    void Show();
    HWND hWnd() const noexcept { return hwnd_; }

    // The notification-area icon: added at start-up, re-applied on demand.
    void IconLoad();
    void IconModify();

    // What the message loop waits for beside messages: signalled when the IPv4 addresses
    // changed; nullptr when there is nothing to wait for.
    HANDLE AddressChangeEvent() const noexcept;
    void OnAddressChangeEvent();

private:
    // No WS_CLIPCHILDREN: the group boxes leave their inside to the window's own white.
    static constexpr DWORD kWindowStyle = WS_POPUP | WS_DLGFRAME;
    static constexpr DWORD kWindowExStyle = WS_EX_TOOLWINDOW | WS_EX_CONTROLPARENT;

    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);

    bool CreateWindowHidden();
    void CreateControls();
    HWND AddControl(HWND parent, const wchar_t* kind, const wchar_t* text, DWORD style, int id,
                    DWORD exStyle = 0);
    // The window laid out for the screen's DPI, centred on the screen: how it starts.
    void LayOutCentred();
    // Lays the whole window out for a DPI, its outer top-left corner at `corner`: its size,
    // every control's place and font, the strips, the close picture and the icons, the tray
    // icon's too. Start-up and a change of DPI both come here.
    void LayOut(int dpi, POINT corner);
    void PlaceControls(HFONT windowFont, HFONT boxFont, HFONT labelFont);
    void ShowPictures(const Pictures& pictures);
    RECT Place(const layout::Box& box) const;
    SIZE OuterSize(int dpi) const;

    void OnDpiChanged(int dpi, const RECT& suggested);

    void OnTrayCallback(LPARAM lParam);
    void OnMouseDown(POINT point);
    void OpenPopupMenu();

    void OnCommand(int id, int code);
    LRESULT OnCtlColor(HDC dc, HWND control);
    void OnDrawItem(const DRAWITEMSTRUCT& item);
    void OnEndSession(bool ending);
    void OnDestroy();

    CycleOutcome RefreshInfo();
    void OnRefreshTimer();
    void btn_refresh_Click();
    void img_close_Click();
    void m_Show_Click();
    void m_Exit_Click();

    // Looking up again after a resume or an address change (frmMainFreshness.cpp).
    static constexpr UINT_PTR kFreshnessTimer = 3;
    void WatchNetwork();
    void StopWatchingNetwork();
    void OnPowerBroadcast(WPARAM event);
    void OnNetworkChanged();
    void OnFreshnessTimer();
    void AfterOtherLookup(CycleOutcome outcome);
    void ArmFreshnessTimer();
    void OnTestSignalAddressEvent();

    HINSTANCE instance_;
    const wchar_t* lookupUrl_;
    unsigned refreshIntervalMs_;
    HWND hwnd_ = nullptr;
    int dpi_ = 96;
    Pictures pictures_;
    std::optional<TrayIcon> trayIcon_;

    HWND l_top = nullptr;
    HWND l_ico = nullptr;
    HWND l_text = nullptr;
    HWND img_close = nullptr;
    HWND Frm1 = nullptr;
    HWND t_public = nullptr;
    HWND btn_refresh = nullptr;
    HWND Frm2 = nullptr;
    HWND t_host = nullptr;
    HWND l_bottom = nullptr;
    UniqueMenu m_;

    UniqueFont windowFont_;
    UniqueFont boxFont_;
    UniqueFont labelFont_;

    HeapArray<wchar_t> TempDir;
    HeapArray<wchar_t> replyFile_;
    std::optional<LookupCycle> lookup_;

    Freshness freshness_;
    std::optional<SuspendResumeNotification> suspendResume_;
    std::optional<AddressChangeWatch> addressWatch_;
};

}  // namespace kestrin
