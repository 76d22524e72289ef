#pragma once
// An in-memory picture: the drawings produce it, the encoders consume it.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kestrin::art {

struct Rgba {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
    std::uint8_t a = 0;  // 0 transparent, 255 opaque; the file formats know nothing between

    friend bool operator==(const Rgba&, const Rgba&) = default;
};

inline constexpr Rgba Opaque(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    return Rgba{r, g, b, 255};
}

inline constexpr Rgba Grey(std::uint8_t level) { return Opaque(level, level, level); }

inline constexpr Rgba kWhite = Grey(255);
inline constexpr Rgba kTransparent{};

// Row 0 is the top row, whatever order a file format stores rows in.
class Image {
public:
    Image(int width, int height, Rgba fill)
        : width_(width),
          height_(height),
          pixels_(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), fill) {}

    int width() const { return width_; }
    int height() const { return height_; }
    Rgba at(int x, int y) const { return pixels_[IndexOf(x, y)]; }
    void set(int x, int y, Rgba colour) { pixels_[IndexOf(x, y)] = colour; }

private:
    std::size_t IndexOf(int x, int y) const {
        return static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
               static_cast<std::size_t>(x);
    }

    int width_;
    int height_;
    std::vector<Rgba> pixels_;
};

}  // namespace kestrin::art
