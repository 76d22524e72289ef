#include "BmpReader.h"

#include <stdexcept>

namespace kestrin::art::test {

namespace {

constexpr std::size_t kFileHeaderBytes = 14;

Rgba ReadBgr(const ByteReader& reader, std::size_t at) {
    return Opaque(reader.U8(at + 2), reader.U8(at + 1), reader.U8(at));
}

}  // namespace

DecodedBmp DecodeBmp24(const Bytes& bytes) {
    const ByteReader reader(bytes);
    if (reader.U8(0) != 'B' || reader.U8(1) != 'M') throw std::runtime_error("no BM signature");
    DecodedBmp bmp;
    bmp.sizeField = reader.U32(2);
    bmp.pixelOffset = reader.U32(10);
    bmp.header = ReadDibHeader(reader, kFileHeaderBytes);
    if (bmp.header.bitsPerPixel != 24 || bmp.header.height <= 0) {
        throw std::runtime_error("not a bottom-up 24-bit bitmap");
    }
    const int width = bmp.header.width;
    const int height = bmp.header.height;
    const std::size_t stride = DibRowBytes(width, 24);
    bmp.pixels = Image(width, height, kWhite);
    for (int y = 0; y < height; ++y) {
        const std::size_t row = bmp.pixelOffset + static_cast<std::size_t>(height - 1 - y) * stride;
        for (int x = 0; x < width; ++x) {
            bmp.pixels.set(x, y, ReadBgr(reader, row + 3 * static_cast<std::size_t>(x)));
        }
    }
    return bmp;
}

}  // namespace kestrin::art::test
