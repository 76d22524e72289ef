#include "BmpEncoder.h"

#include "DibHeader.h"

namespace kestrin::art {

namespace {

constexpr std::uint32_t kFileHeaderBytes = 14;
constexpr std::uint16_t kBitsPerPixel = 24;

void AppendFileHeader(Bytes& out, std::uint32_t fileBytes) {
    AppendU8(out, 'B');
    AppendU8(out, 'M');
    AppendU32(out, fileBytes);
    AppendU16(out, 0);
    AppendU16(out, 0);
    AppendU32(out, kFileHeaderBytes + kInfoHeaderBytes);
}

void AppendRowBgr(Bytes& out, const Image& image, int y, std::uint32_t stride) {
    const std::size_t rowStart = out.size();
    for (int x = 0; x < image.width(); ++x) {
        const Rgba pixel = image.at(x, y);
        AppendU8(out, pixel.b);
        AppendU8(out, pixel.g);
        AppendU8(out, pixel.r);
    }
    out.resize(rowStart + stride, 0);
}

}  // namespace

Bytes EncodeBmp24(const Image& image) {
    const std::uint32_t stride = RowStride(image.width(), kBitsPerPixel);
    const std::uint32_t pixelBytes = stride * static_cast<std::uint32_t>(image.height());
    Bytes out;
    out.reserve(kFileHeaderBytes + kInfoHeaderBytes + pixelBytes);
    AppendFileHeader(out, kFileHeaderBytes + kInfoHeaderBytes + pixelBytes);
    AppendInfoHeader(out, DibInfo{image.width(), image.height(), kBitsPerPixel, pixelBytes, 0});
    for (int y = image.height() - 1; y >= 0; --y) {
        AppendRowBgr(out, image, y, stride);
    }
    return out;
}

}  // namespace kestrin::art
