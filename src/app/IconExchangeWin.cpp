#include "IconExchangeWin.h"

#include <cstddef>
#include <cstdint>

#include "TextCodec.h"

namespace kestrin {
namespace {

// The shell reads the record by the width of the process that hands it over.
constexpr const IconRecordLayout& kShellRecord = sizeof(void*) == 8 ? kIconRecord64 : kIconRecord32;
static_assert(kShellRecord.size == NOTIFYICONDATAA_V1_SIZE &&
              kShellRecord.handleBytes == sizeof(HWND) &&
              kShellRecord.hWnd == offsetof(NOTIFYICONDATAA, hWnd) &&
              kShellRecord.uID == offsetof(NOTIFYICONDATAA, uID) &&
              kShellRecord.uFlags == offsetof(NOTIFYICONDATAA, uFlags) &&
              kShellRecord.uCallbackMessage == offsetof(NOTIFYICONDATAA, uCallbackMessage) &&
              kShellRecord.hIcon == offsetof(NOTIFYICONDATAA, hIcon) &&
              kShellRecord.szTip == offsetof(NOTIFYICONDATAA, szTip),
              "the icon record must be NOTIFYICONDATAA's first form for this width");

using ChangeWindowMessageFilterExFn = BOOL(WINAPI*)(HWND, UINT, DWORD, void*);
constexpr DWORD kAllowMessage = 1;  // MSGFLT_ALLOW

constexpr UINT kTrayFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
// Tried again every 10 s for the first minute.
constexpr UINT kRetryMs = 10000;
constexpr int kRetries = 6;

std::uint64_t HandleBits(const void* handle) {
    return reinterpret_cast<std::uintptr_t>(handle);
}

}  // namespace

bool NotifyShell(DWORD message, const IconRecord& record) {
    auto bytes = IconRecordBytes(record, kShellRecord, AnsiFromWide);
    return Shell_NotifyIconA(message, reinterpret_cast<NOTIFYICONDATAA*>(bytes.data())) != FALSE;
}

bool LetShellMessageThrough(HWND window, UINT message, HMODULE user32) {
    const FARPROC found = user32 ? GetProcAddress(user32, "ChangeWindowMessageFilterEx") : nullptr;
    if (!found) return false;
    // void(*)() first: the one function type GCC lets any other be cast through.
    const auto filter = reinterpret_cast<ChangeWindowMessageFilterExFn>(
        reinterpret_cast<void (*)()>(found));
    filter(window, message, kAllowMessage, nullptr);  // result ignored: the icon is best effort
    return true;
}

TrayIcon::TrayIcon(const Setup& setup)
    : setup_(setup), taskbarCreated_(RegisterWindowMessageW(L"TaskbarCreated")) {
    LetShellMessageThrough(setup_.window, taskbarCreated_, GetModuleHandleW(L"user32.dll"));
    Add();
}

TrayIcon::~TrayIcon() {
    KillTimer(setup_.window, setup_.retryTimer);
    Notify(NIM_DELETE);  // result ignored: the icon goes with the program either way
}

bool TrayIcon::Notify(DWORD message) const {
    return NotifyShell(message, SetIconData(kShellRecord, HandleBits(setup_.window), setup_.id,
                                            kTrayFlags, setup_.callbackMessage,
                                            HandleBits(setup_.icon), L""));
}

void TrayIcon::Add() {
    if (Notify(NIM_ADD)) return;
    retriesLeft_ = kRetries;
    SetTimer(setup_.window, setup_.retryTimer, kRetryMs, nullptr);
}

void TrayIcon::Modify() {
    Notify(NIM_MODIFY);
}

void TrayIcon::ChangeIcon(HICON icon) {
    setup_.icon = icon;
    Modify();  // an icon still waiting for its add gets the new picture then
}

void TrayIcon::OnRetryTimer() {
    if (Notify(NIM_ADD) || --retriesLeft_ <= 0) KillTimer(setup_.window, setup_.retryTimer);
}

bool TrayIcon::OnShellRestart(UINT message) {
    if (message != taskbarCreated_ || taskbarCreated_ == 0) return false;
    Add();
    return true;
}

}  // namespace kestrin
