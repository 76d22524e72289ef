#pragma once
// Real mouse and keyboard input, as a user would give it, through the system's input queue.

#include <windows.h>

namespace kestrin::test {

enum class Button { Left, Right };

void MovePointerTo(POINT screen);
void Press(Button button);
void Release(Button button);
void Click(POINT screen, Button button = Button::Left);
void DoubleClick(POINT screen);
void PressKey(WORD virtualKey);

// Where Wine's stand-alone tray shows its first icon, in screen coordinates.
bool FirstTrayIconCentre(POINT& centre);

}  // namespace kestrin::test
