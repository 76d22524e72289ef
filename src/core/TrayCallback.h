#pragma once
// What a mouse message on the notification-area icon asks of the program. The shell
// reports the message itself in the callback's lParam.

#include <cstdint>

namespace kestrin {

enum class TrayAction {
    None,      // only the icon is re-applied
    ShowWindow,  // left double-click: show the window and bring it to the front
    OpenMenu,    // right-button release: open the popup menu at the pointer
};

inline constexpr std::uint32_t kLeftDoubleClick = 0x203;  // WM_LBUTTONDBLCLK
inline constexpr std::uint32_t kRightButtonUp = 0x205;    // WM_RBUTTONUP

constexpr TrayAction DecodeTrayCallback(std::uint32_t lParam) {
    switch (lParam & 0xFFFF) {
    case kLeftDoubleClick:
        return TrayAction::ShowWindow;
    case kRightButtonUp:
        return TrayAction::OpenMenu;
    default:
        return TrayAction::None;
    }
}

}  // namespace kestrin
