#pragma once
// The shaded bands drawn across the top and the bottom of the window.

#include "Image.h"

namespace kestrin::art {

struct GradientStop {
    int row = 0;
    Rgba colour;
};

// Every column is the same: `upper` above and at its row, `lower` at and below its row,
// each channel interpolated linearly in between.
Image VerticalGradient(int width, int height, GradientStop upper, GradientStop lower);

// Light grey at the top edge fading to white.
Image DrawTopStrip();

// White fading to a faintly tinted light grey at the bottom edge.
Image DrawBottomStrip();

}  // namespace kestrin::art
