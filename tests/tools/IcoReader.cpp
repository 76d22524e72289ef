#include "IcoReader.h"

#include <stdexcept>

namespace kestrin::art::test {

namespace {

constexpr std::size_t kDirectoryBytes = 6;
constexpr std::size_t kEntryBytes = 16;

IcoEntry ReadEntry(const ByteReader& reader, std::size_t at) {
    IcoEntry entry;
    entry.width = reader.U8(at);
    entry.height = reader.U8(at + 1);
    entry.colourCount = reader.U8(at + 2);
    entry.reserved = reader.U8(at + 3);
    entry.planes = reader.U16(at + 4);
    entry.bitsPerPixel = reader.U16(at + 6);
    entry.bytes = reader.U32(at + 8);
    entry.offset = reader.U32(at + 12);
    return entry;
}

std::vector<Rgba> ReadPalette(const ByteReader& reader, std::size_t at, std::size_t count) {
    std::vector<Rgba> palette;
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t entry = at + 4 * i;
        palette.push_back(Opaque(reader.U8(entry + 2), reader.U8(entry + 1), reader.U8(entry)));
    }
    return palette;
}

bool MaskBitSet(const ByteReader& reader, std::size_t rowStart, int x) {
    const std::uint8_t byte = reader.U8(rowStart + static_cast<std::size_t>(x / 8));
    return (byte >> (7 - x % 8) & 1) != 0;
}

IcoImage ReadImage(const ByteReader& reader, std::size_t at) {
    IcoImage image;
    image.header = ReadDibHeader(reader, at);
    if (image.header.bitsPerPixel != 8) throw std::runtime_error("not an 8-bit image");
    const std::size_t colours = image.header.coloursUsed == 0 ? 256 : image.header.coloursUsed;
    image.palette = ReadPalette(reader, at + image.header.headerBytes, colours);

    const int width = image.header.width;
    const int height = image.header.height / 2;  // colour rows, then as many mask rows
    const std::size_t colourStart = at + image.header.headerBytes + 4 * colours;
    const std::size_t colourStride = DibRowBytes(width, 8);
    const std::size_t maskStart = colourStart + colourStride * static_cast<std::size_t>(height);
    const std::size_t maskStride = DibRowBytes(width, 1);
    image.pixels = Image(width, height, kTransparent);
    for (int y = 0; y < height; ++y) {
        const auto storedRow = static_cast<std::size_t>(height - 1 - y);
        for (int x = 0; x < width; ++x) {
            const std::uint8_t index =
                reader.U8(colourStart + storedRow * colourStride + static_cast<std::size_t>(x));
            if (index >= image.palette.size()) throw std::runtime_error("index past the palette");
            image.indices.push_back(index);
            Rgba colour = image.palette[index];
            if (MaskBitSet(reader, maskStart + storedRow * maskStride, x)) colour.a = 0;
            image.pixels.set(x, y, colour);
        }
    }
    return image;
}

}  // namespace

DecodedIco DecodeIco(const Bytes& bytes) {
    const ByteReader reader(bytes);
    DecodedIco ico;
    ico.reserved = reader.U16(0);
    ico.type = reader.U16(2);
    const std::size_t count = reader.U16(4);
    for (std::size_t i = 0; i < count; ++i) {
        ico.entries.push_back(ReadEntry(reader, kDirectoryBytes + kEntryBytes * i));
    }
    for (const IcoEntry& entry : ico.entries) ico.images.push_back(ReadImage(reader, entry.offset));
    return ico;
}

}  // namespace kestrin::art::test
