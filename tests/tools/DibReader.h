#pragma once
// Decodes the BITMAPINFOHEADER shared by .bmp files and icon images.

#include <cstdint>

#include "ByteReader.h"

namespace kestrin::art::test {

struct DibHeaderFields {
    std::uint32_t headerBytes = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::uint16_t planes = 0;
    std::uint16_t bitsPerPixel = 0;
    std::uint32_t compression = 0;
    std::uint32_t imageBytes = 0;
    std::uint32_t coloursUsed = 0;
};

DibHeaderFields ReadDibHeader(const ByteReader& reader, std::size_t at);

// Bytes per stored row: rows start on 4-byte boundaries.
std::size_t DibRowBytes(int width, int bitsPerPixel);

}  // namespace kestrin::art::test
