#include "Strips.h"

#include <algorithm>
#include <cmath>

namespace kestrin::art {

namespace {

// One column: every row is one colour, and the window stretches it across the strip.
constexpr int kStripWidth = 1;
constexpr int kStripHeight = 32;
constexpr int kFadeRows = 23;  // rows from the grey edge to the first all-white row

std::uint8_t Lerp(std::uint8_t from, std::uint8_t to, double t) {
    return static_cast<std::uint8_t>(std::lround(from + (to - from) * t));
}

Rgba ColourAtRow(int row, GradientStop upper, GradientStop lower) {
    const double span = lower.row - upper.row;
    const double t = std::clamp((row - upper.row) / span, 0.0, 1.0);
    return Opaque(Lerp(upper.colour.r, lower.colour.r, t), Lerp(upper.colour.g, lower.colour.g, t),
                  Lerp(upper.colour.b, lower.colour.b, t));
}

}  // namespace

Image VerticalGradient(int width, int height, GradientStop upper, GradientStop lower) {
    Image image(width, height, kWhite);
    for (int y = 0; y < height; ++y) {
        const Rgba colour = ColourAtRow(y, upper, lower);
        for (int x = 0; x < width; ++x) image.set(x, y, colour);
    }
    return image;
}

Image DrawTopStrip() {
    return VerticalGradient(kStripWidth, kStripHeight, {0, Grey(229)}, {kFadeRows, kWhite});
}

Image DrawBottomStrip() {
    const int lastRow = kStripHeight - 1;
    return VerticalGradient(kStripWidth, kStripHeight, {lastRow - kFadeRows, kWhite},
                            {lastRow, Opaque(229, 227, 228)});
}

}  // namespace kestrin::art
