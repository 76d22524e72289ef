#include "IconExchangeWin.h"

#include "TextCodec.h"

namespace kestrin {
namespace {

using ChangeWindowMessageFilterExFn = BOOL(WINAPI*)(HWND, UINT, DWORD, void*);
constexpr DWORD kAllowMessage = 1;  // MSGFLT_ALLOW

}  // namespace

bool NotifyShell(DWORD message, const IconRecord& record) {
    auto bytes = IconRecordBytes(record, AnsiFromWide);
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

}  // namespace kestrin
