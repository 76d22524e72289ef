// kestrin-probe: reads a running Kestrin from outside, for scripts.
//   kestrin-probe read   waits for the window and its first answers, then prints the
//                        two boxes and the window's screen rectangle
//   kestrin-probe exit   chooses Exit, as from the menu, and waits for the end

#include <windows.h>

#include <cstdio>
#include <string>

#include "WinTestSupport.h"
#include "resource.h"

namespace {

using kestrin::test::WaitFor;
using kestrin::test::WindowTextOf;

HWND ShownKestrinWindow() {
    HWND window = nullptr;
    WaitFor([&] {
        window = FindWindowW(KESTRIN_WINDOW_CLASS, nullptr);
        return window && IsWindowVisible(window);
    }, 30000);
    return window;
}

void PrintLine(const wchar_t* label, const std::wstring& text) {
    std::wstring shown;
    for (wchar_t c : text) shown += c == L'\r' ? std::wstring(L"\\r") : std::wstring(1, c);
    std::fwprintf(stdout, L"%ls %ls\n", label, shown.c_str());
}

int Read() {
    HWND window = ShownKestrinWindow();
    if (!window) {
        std::fputs("no Kestrin window appeared\n", stderr);
        return 1;
    }
    PrintLine(L"public address:", WindowTextOf(GetDlgItem(window, IDC_T_PUBLIC)));
    PrintLine(L"host name:     ", WindowTextOf(GetDlgItem(window, IDC_T_HOST)));
    RECT r{};
    GetWindowRect(window, &r);
    std::printf("window: %ldx%ld+%ld+%ld\n", r.right - r.left, r.bottom - r.top, r.left, r.top);
    return 0;
}

int Exit() {
    HWND window = FindWindowW(KESTRIN_WINDOW_CLASS, nullptr);
    if (!window) return 1;
    PostMessageW(window, WM_COMMAND, IDM_EXIT, 0);
    return WaitFor([] { return FindWindowW(KESTRIN_WINDOW_CLASS, nullptr) == nullptr; }) ? 0 : 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring command = argc > 1 ? argv[1] : L"";
    if (command == L"read") return Read();
    if (command == L"exit") return Exit();
    std::fputs("usage: kestrin-probe read|exit\n", stderr);
    return 2;
}
