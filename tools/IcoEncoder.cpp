#include "IcoEncoder.h"

#include "DibHeader.h"
#include "Palette.h"

namespace kestrin::art {

namespace {

constexpr std::uint16_t kIconType = 1;
constexpr std::uint32_t kDirectoryBytes = 6;
constexpr std::uint32_t kEntryBytes = 16;
constexpr std::uint16_t kColourBits = 8;
constexpr std::uint16_t kMaskBits = 1;

void AppendPalette(Bytes& out, const Palette& palette) {
    for (const Rgba& entry : palette) {
        AppendU8(out, entry.b);
        AppendU8(out, entry.g);
        AppendU8(out, entry.r);
        AppendU8(out, 0);
    }
}

// Transparent pixels are index 0, black, so the mask alone decides what shows through.
void AppendColourRows(Bytes& out, const Image& image, const IndexedImage& indexed) {
    const std::uint32_t stride = RowStride(image.width(), kColourBits);
    const auto width = static_cast<std::size_t>(image.width());
    for (int y = image.height() - 1; y >= 0; --y) {
        const std::size_t rowStart = out.size();
        const std::size_t firstIndex = static_cast<std::size_t>(y) * width;
        for (std::size_t x = 0; x < width; ++x) AppendU8(out, indexed.indices[firstIndex + x]);
        out.resize(rowStart + stride, 0);
    }
}

void AppendMaskRows(Bytes& out, const Image& image) {
    const std::uint32_t stride = RowStride(image.width(), kMaskBits);
    for (int y = image.height() - 1; y >= 0; --y) {
        const std::size_t rowStart = out.size();
        out.resize(rowStart + stride, 0);
        for (int x = 0; x < image.width(); ++x) {
            if (image.at(x, y).a != 0) continue;
            const auto bit = static_cast<std::uint8_t>(0x80u >> (x % 8));
            out[rowStart + static_cast<std::size_t>(x / 8)] |= bit;
        }
    }
}

Bytes EncodeIconImage(const Image& image) {
    const IndexedImage indexed = IndexColours(image);
    const std::uint32_t rows = static_cast<std::uint32_t>(image.height());
    const std::uint32_t pixelBytes =
        (RowStride(image.width(), kColourBits) + RowStride(image.width(), kMaskBits)) * rows;
    Bytes out;
    // An icon DIB is as tall as colour rows and mask rows together.
    AppendInfoHeader(out, DibInfo{image.width(), 2 * image.height(), kColourBits, pixelBytes,
                                  static_cast<std::uint32_t>(indexed.palette.size())});
    AppendPalette(out, indexed.palette);
    AppendColourRows(out, image, indexed);
    AppendMaskRows(out, image);
    return out;
}

// The directory stores 256 as 0 in its one-byte size fields.
std::uint8_t DirectorySize(int pixels) { return static_cast<std::uint8_t>(pixels % 256); }

void AppendEntry(Bytes& out, const Image& image, std::uint32_t bytes, std::uint32_t offset) {
    AppendU8(out, DirectorySize(image.width()));
    AppendU8(out, DirectorySize(image.height()));
    AppendU8(out, 0);  // colour count is 0 for 8 bits per pixel and more
    AppendU8(out, 0);
    AppendU16(out, 1);  // planes
    AppendU16(out, kColourBits);
    AppendU32(out, bytes);
    AppendU32(out, offset);
}

}  // namespace

Bytes EncodeIco(const std::vector<Image>& images) {
    std::vector<Bytes> encoded;
    for (const Image& image : images) encoded.push_back(EncodeIconImage(image));

    Bytes out;
    AppendU16(out, 0);
    AppendU16(out, kIconType);
    AppendU16(out, static_cast<std::uint16_t>(images.size()));
    auto offset = kDirectoryBytes + kEntryBytes * static_cast<std::uint32_t>(images.size());
    for (std::size_t i = 0; i < images.size(); ++i) {
        const auto bytes = static_cast<std::uint32_t>(encoded[i].size());
        AppendEntry(out, images[i], bytes, offset);
        offset += bytes;
    }
    for (const Bytes& image : encoded) out.insert(out.end(), image.begin(), image.end());
    return out;
}

}  // namespace kestrin::art
