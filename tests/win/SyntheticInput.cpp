#include "SyntheticInput.h"

#include <cstdlib>
#include <initializer_list>

namespace kestrin::test {
namespace {

// Each event is given once the system has taken in the one before, as from a hand: a
// press sent before its move has landed would land where the pointer was.
template <typename Condition>
void WaitUntilTakenIn(Condition taken) {
    const ULONGLONG end = GetTickCount64() + 2000;
    while (!taken() && GetTickCount64() < end) Sleep(2);
}

void SendMouse(DWORD flags, LONG x = 0, LONG y = 0) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = x;
    input.mi.dy = y;
    input.mi.dwFlags = flags;
    SendInput(1, &input, sizeof input);
}

bool IsDown(int virtualKey) {
    return (GetAsyncKeyState(virtualKey) & 0x8000) != 0;
}

int KeyOf(Button button) {
    return button == Button::Left ? VK_LBUTTON : VK_RBUTTON;
}

}  // namespace

void MovePointerTo(POINT screen) {
    // Absolute positions are given in 0..65535 across the primary screen.
    const LONG x = MulDiv(screen.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
    const LONG y = MulDiv(screen.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
    SendMouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, x, y);
    WaitUntilTakenIn([&] {
        POINT now;
        return GetCursorPos(&now) && std::abs(now.x - screen.x) <= 1 &&
               std::abs(now.y - screen.y) <= 1;
    });
}

void Press(Button button) {
    SendMouse(button == Button::Left ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_RIGHTDOWN);
    WaitUntilTakenIn([&] { return IsDown(KeyOf(button)); });
}

void Release(Button button) {
    SendMouse(button == Button::Left ? MOUSEEVENTF_LEFTUP : MOUSEEVENTF_RIGHTUP);
    WaitUntilTakenIn([&] { return !IsDown(KeyOf(button)); });
}

void Click(POINT screen, Button button) {
    MovePointerTo(screen);
    Press(button);
    Release(button);
}

void DoubleClick(POINT screen) {
    Click(screen);
    Click(screen);
}

void PressKey(WORD virtualKey) {
    for (const DWORD flags : {DWORD{0}, DWORD{KEYEVENTF_KEYUP}}) {
        INPUT key{};
        key.type = INPUT_KEYBOARD;
        key.ki.wVk = virtualKey;
        key.ki.dwFlags = flags;
        SendInput(1, &key, sizeof key);
        WaitUntilTakenIn([&] { return IsDown(virtualKey) == (flags == 0); });
    }
}

bool FirstTrayIconCentre(POINT& centre) {
    // Each icon is a child window of the tray.
    HWND icon = GetWindow(FindWindowW(nullptr, L"Wine System Tray"), GW_CHILD);
    RECT place;
    if (!icon || !GetWindowRect(icon, &place)) return false;
    centre = {(place.left + place.right) / 2, (place.top + place.bottom) / 2};
    return true;
}

}  // namespace kestrin::test
