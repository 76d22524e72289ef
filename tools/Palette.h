#pragma once
// Chooses the colour table of an 8-bit icon image.

#include <cstdint>
#include <vector>

#include "Image.h"

namespace kestrin::art {

using Palette = std::vector<Rgba>;

struct IndexedImage {
    Palette palette;
    std::vector<std::uint8_t> indices;  // row by row from the top, like Image
};

// Entry 0 is black, which the transparent pixels of an icon take; the other entries are the
// picture's opaque colours, averaged by median cut only when more of them exist than fit,
// and each of them is used by at least one pixel.
IndexedImage IndexColours(const Image& image);

}  // namespace kestrin::art
