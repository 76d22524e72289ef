#include "SyntheticInput.h"

namespace kestrin::test {
namespace {

void SendMouse(DWORD flags, LONG x = 0, LONG y = 0) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = x;
    input.mi.dy = y;
    input.mi.dwFlags = flags;
    SendInput(1, &input, sizeof input);
    Sleep(30);  // lets the target see each event on its own, as from a hand
}

}  // namespace

void MovePointerTo(POINT screen) {
    // Absolute positions are given in 0..65535 across the primary screen.
    const LONG x = MulDiv(screen.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
    const LONG y = MulDiv(screen.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
    SendMouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, x, y);
}

void Press(Button button) {
    SendMouse(button == Button::Left ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_RIGHTDOWN);
}

void Release(Button button) {
    SendMouse(button == Button::Left ? MOUSEEVENTF_LEFTUP : MOUSEEVENTF_RIGHTUP);
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
    INPUT keys[2] = {};
    keys[0].type = keys[1].type = INPUT_KEYBOARD;
    keys[0].ki.wVk = keys[1].ki.wVk = virtualKey;
    keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, keys, sizeof keys[0]);
    Sleep(50);
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
