#include "DibReader.h"

namespace kestrin::art::test {

DibHeaderFields ReadDibHeader(const ByteReader& reader, std::size_t at) {
    DibHeaderFields header;
    header.headerBytes = reader.U32(at);
    header.width = reader.I32(at + 4);
    header.height = reader.I32(at + 8);
    header.planes = reader.U16(at + 12);
    header.bitsPerPixel = reader.U16(at + 14);
    header.compression = reader.U32(at + 16);
    header.imageBytes = reader.U32(at + 20);
    header.coloursUsed = reader.U32(at + 32);
    return header;
}

std::size_t DibRowBytes(int width, int bitsPerPixel) {
    const auto bits = static_cast<std::size_t>(width) * static_cast<std::size_t>(bitsPerPixel);
    return (bits + 31) / 32 * 4;
}

}  // namespace kestrin::art::test
