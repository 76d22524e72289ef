#pragma once
// Chooses the colour table of an 8-bit icon image.

#include <cstddef>
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
// picture's opaque colours, averaged by median cut only when more of them exist than fit
// in maxEntries (2 to 256), and each of them is used by at least one pixel.
IndexedImage IndexColours(const Image& image, std::size_t maxEntries = 256);

// The picture as an icon palette of at most `entries` entries (2 to 256) shows it, so that
// encoding it again needs no more.
Image WithPaletteOf(const Image& image, std::size_t entries);

}  // namespace kestrin::art
