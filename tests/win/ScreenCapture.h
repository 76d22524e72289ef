#pragma once
// What the screen shows of a window's inner area, pixel by pixel.

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kestrin::test {

class ScreenCapture {
public:
    // Copies the window's inner area from the screen.
    explicit ScreenCapture(HWND window);
    // A picture file (PNG or BMP) read back; nothing when it cannot be read.
    static std::optional<ScreenCapture> FromFile(const std::wstring& path);

    int width() const noexcept { return width_; }
    int height() const noexcept { return height_; }
    // Writes the capture as a BMP file; false when it cannot be written.
    bool SaveBmp(const std::wstring& path) const;
    // How many pixels differ in colour from other's; all of them when the sizes differ.
    std::size_t DifferingPixels(const ScreenCapture& other) const;

private:
    ScreenCapture() = default;

    int width_ = 0;
    int height_ = 0;
    std::vector<std::uint32_t> pixels_;  // top-down rows of 0x00RRGGBB
};

}  // namespace kestrin::test
