#pragma once
// Decodes an uncompressed 24-bit .bmp file, keeping the header so tests can check it.

#include "ByteReader.h"
#include "DibReader.h"
#include "Image.h"

namespace kestrin::art::test {

struct DecodedBmp {
    std::uint32_t sizeField = 0;  // the file size the header claims
    std::uint32_t pixelOffset = 0;
    DibHeaderFields header;
    Image pixels{0, 0, kWhite};
};

// Throws std::runtime_error for anything but a bottom-up 24-bit bitmap, and
// std::out_of_range when the pixel rows run past the end of the file.
DecodedBmp DecodeBmp24(const Bytes& bytes);

}  // namespace kestrin::art::test
