#pragma once
// Decodes a .ico file of palette images with transparency masks, keeping every header field
// the tests check.

#include <vector>

#include "ByteReader.h"
#include "DibReader.h"
#include "Image.h"

namespace kestrin::art::test {

struct IcoEntry {
    int width = 0;  // as stored: 0 stands for 256
    int height = 0;
    int colourCount = 0;
    int reserved = 0;
    int planes = 0;
    int bitsPerPixel = 0;
    std::uint32_t bytes = 0;
    std::uint32_t offset = 0;
};

struct IcoImage {
    DibHeaderFields header;
    std::vector<Rgba> palette;
    std::vector<std::uint8_t> indices;  // row 0 at the top
    Image pixels{0, 0, kTransparent};   // alpha 0 where the mask bit is set
};

struct DecodedIco {
    int reserved = 0;
    int type = 0;
    std::vector<IcoEntry> entries;
    std::vector<IcoImage> images;
};

// Throws std::runtime_error for images that are not 8-bit palette DIBs or that use an index
// past their palette, and std::out_of_range for data past the end of the file.
DecodedIco DecodeIco(const Bytes& bytes);

}  // namespace kestrin::art::test
