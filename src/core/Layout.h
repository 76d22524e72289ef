#pragma once
// Where everything sits on the main window, in pixels at 96 DPI, measured from the
// top-left corner of the window's inner area. Controls drawn inside a strip are
// measured from the strip, which lies at the window's left edge.

namespace kestrin::layout {

struct Box {
    int left;
    int top;
    int width;
    int height;
};

inline constexpr int kBaseDpi = 96;
inline constexpr int kInnerWidth = 411;
inline constexpr int kInnerHeight = 172;

inline constexpr Box l_top{0, 0, 411, 32};
inline constexpr Box l_bottom{0, 140, 411, 32};
inline constexpr Box l_ico{4, 4, 16, 16};        // in l_top
inline constexpr Box l_text{27, 4, 268, 17};     // in l_top
inline constexpr Box img_close{392, 0, 16, 16};  // in l_top
inline constexpr Box Frm1{16, 32, 281, 49};
inline constexpr Box t_public{24, 56, 265, 19};  // 8, 24 in Frm1
inline constexpr Box btn_refresh{312, 80, 89, 25};
inline constexpr Box Frm2{16, 88, 281, 49};
inline constexpr Box t_host{24, 112, 265, 19};   // 8, 24 in Frm2

// Font heights in pixels at 96 DPI: 8.25 pt and 9.75 pt.
inline constexpr int kWindowFontPx = 11;
inline constexpr int kLabelFontPx = 13;

// Lengths grow with the DPI so the window keeps its physical size; halves round up.
constexpr int Scale(int pixels96, int dpi) {
    return (pixels96 * dpi + kBaseDpi / 2) / kBaseDpi;
}

constexpr Box Scale(const Box& box, int dpi) {
    return {Scale(box.left, dpi), Scale(box.top, dpi), Scale(box.width, dpi),
            Scale(box.height, dpi)};
}

}  // namespace kestrin::layout
