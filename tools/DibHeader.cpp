#include "DibHeader.h"

namespace kestrin::art {

namespace {

constexpr std::uint32_t kUncompressed = 0;
constexpr std::int32_t kPixelsPerMetreAt72Dpi = 2835;

}  // namespace

void AppendInfoHeader(Bytes& out, const DibInfo& info) {
    AppendU32(out, kInfoHeaderBytes);
    AppendI32(out, info.width);
    AppendI32(out, info.height);
    AppendU16(out, 1);  // planes
    AppendU16(out, info.bitsPerPixel);
    AppendU32(out, kUncompressed);
    AppendU32(out, info.imageBytes);
    AppendI32(out, kPixelsPerMetreAt72Dpi);
    AppendI32(out, kPixelsPerMetreAt72Dpi);
    AppendU32(out, info.coloursUsed);
    AppendU32(out, 0);  // all colours are important
}

std::uint32_t RowStride(int width, int bitsPerPixel) {
    const auto bits = static_cast<std::uint32_t>(width) * static_cast<std::uint32_t>(bitsPerPixel);
    return (bits + 31u) / 32u * 4u;
}

}  // namespace kestrin::art
