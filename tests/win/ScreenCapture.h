#pragma once
// What the screen shows of a window's inner area, pixel by pixel.

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace kestrin::test {

struct Rgb {
    int r;
    int g;
    int b;
    bool IsWhite() const { return r == 255 && g == 255 && b == 255; }
    bool IsGrey(int level, int tolerance = 0) const;
};

class ScreenCapture {
public:
    // Copies the window's inner area from the screen.
    explicit ScreenCapture(HWND window);

    int width() const noexcept { return width_; }
    int height() const noexcept { return height_; }
    Rgb At(int x, int y) const;
    // Writes the capture as a BMP file; false when it cannot be written.
    bool SaveBmp(const std::wstring& path) const;

private:
    int width_ = 0;
    int height_ = 0;
    std::vector<std::uint32_t> pixels_;  // top-down rows of 0x00RRGGBB
};

}  // namespace kestrin::test
