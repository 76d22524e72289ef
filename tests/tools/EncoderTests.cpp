// The byte-level encoders, checked on small pictures whose every pixel is known.

#include <gtest/gtest.h>

#include "BmpEncoder.h"
#include "BmpReader.h"
#include "IcoEncoder.h"
#include "IcoReader.h"
#include "LittleEndian.h"

namespace kestrin::art::test {
namespace {

Image Numbered(int width, int height) {
    Image image(width, height, kTransparent);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            image.set(x, y,
                      Opaque(static_cast<std::uint8_t>(10 + x), static_cast<std::uint8_t>(20 + y),
                             static_cast<std::uint8_t>(30 + x * y)));
        }
    }
    return image;
}

TEST(LittleEndian, WritesLeastSignificantByteFirst) {
    Bytes out;
    AppendU8(out, 0x01);
    AppendU16(out, 0x0302);
    AppendU32(out, 0x07060504);
    AppendI32(out, -2);
    EXPECT_EQ(out, (Bytes{0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0xFE, 0xFF, 0xFF, 0xFF}));
}

TEST(BmpEncoder, WritesHeadersForTheStoredPixelData) {
    const Bytes bytes = EncodeBmp24(Numbered(3, 2));
    const DecodedBmp bmp = DecodeBmp24(bytes);
    const std::size_t rowBytes = 12;  // 3 pixels of 3 bytes, padded to a multiple of 4
    EXPECT_EQ(bytes.size(), 54 + 2 * rowBytes);
    EXPECT_EQ(bmp.sizeField, bytes.size());
    EXPECT_EQ(bmp.pixelOffset, 54u);
    EXPECT_EQ(bmp.header.headerBytes, 40u);
    EXPECT_EQ(bmp.header.width, 3);
    EXPECT_EQ(bmp.header.height, 2);
    EXPECT_EQ(bmp.header.planes, 1);
    EXPECT_EQ(bmp.header.bitsPerPixel, 24);
    EXPECT_EQ(bmp.header.compression, 0u);
    EXPECT_EQ(bmp.header.imageBytes, 2 * rowBytes);
}

TEST(BmpEncoder, StoresRowsBottomUpInBlueGreenRedOrderWithZeroPadding) {
    const Image image = Numbered(3, 2);
    const Bytes bytes = EncodeBmp24(image);
    const Rgba bottomLeft = image.at(0, 1);
    EXPECT_EQ(bytes[54], bottomLeft.b);
    EXPECT_EQ(bytes[55], bottomLeft.g);
    EXPECT_EQ(bytes[56], bottomLeft.r);
    for (std::size_t padding : {63u, 64u, 65u, 75u, 76u, 77u})
        EXPECT_EQ(bytes[padding], 0) << padding;

    const Image decoded = DecodeBmp24(bytes).pixels;
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 3; ++x) EXPECT_EQ(decoded.at(x, y), image.at(x, y)) << x << "," << y;
    }
}

// Five pixels wide, so both the colour rows and the mask rows need padding.
Image FiveSquareWithHoles() {
    Image image = Numbered(5, 5);
    image.set(0, 0, kTransparent);
    image.set(4, 0, kTransparent);
    image.set(2, 3, kTransparent);
    return image;
}

TEST(IcoEncoder, ImagesRoundTripWithTheirTransparency) {
    const Image image = FiveSquareWithHoles();
    const DecodedIco ico = DecodeIco(EncodeIco({image}));
    ASSERT_EQ(ico.images.size(), 1u);
    const IcoImage& decoded = ico.images[0];
    EXPECT_EQ(decoded.header.width, 5);
    EXPECT_EQ(decoded.header.height, 10);
    EXPECT_EQ(decoded.header.imageBytes, 5 * (8 + 4u));
    for (int y = 0; y < 5; ++y) {
        for (int x = 0; x < 5; ++x) {
            const Rgba expected = image.at(x, y);
            const Rgba actual = decoded.pixels.at(x, y);
            EXPECT_EQ(actual.a, expected.a) << x << "," << y;
            if (expected.a != 0) {
                EXPECT_EQ(actual, expected) << x << "," << y;
            }
        }
    }
}

TEST(IcoEncoder, TransparentPixelsAreBlackBehindTheMask) {
    const DecodedIco ico = DecodeIco(EncodeIco({FiveSquareWithHoles()}));
    const IcoImage& decoded = ico.images[0];
    for (int y = 0; y < 5; ++y) {
        for (int x = 0; x < 5; ++x) {
            if (decoded.pixels.at(x, y).a != 0) continue;
            const std::uint8_t index = decoded.indices[static_cast<std::size_t>(y * 5 + x)];
            EXPECT_EQ(decoded.palette[index], Opaque(0, 0, 0)) << x << "," << y;
        }
    }
}

TEST(IcoEncoder, DirectoryPointsAtEachImageInTurn) {
    const Bytes bytes = EncodeIco({Numbered(4, 4), Numbered(8, 8)});
    const DecodedIco ico = DecodeIco(bytes);
    EXPECT_EQ(ico.reserved, 0);
    EXPECT_EQ(ico.type, 1);
    ASSERT_EQ(ico.entries.size(), 2u);
    EXPECT_EQ(ico.entries[0].width, 4);
    EXPECT_EQ(ico.entries[1].height, 8);
    EXPECT_EQ(ico.entries[0].offset, 6u + 2 * 16);
    EXPECT_EQ(ico.entries[1].offset, ico.entries[0].offset + ico.entries[0].bytes);
    EXPECT_EQ(ico.entries[1].offset + ico.entries[1].bytes, bytes.size());
    EXPECT_EQ(ico.images[1].pixels.at(7, 7), Numbered(8, 8).at(7, 7));
}

TEST(IcoEncoder, StoresTheLargestSizeAsZeroInTheDirectory) {
    const DecodedIco ico = DecodeIco(EncodeIco({Image(256, 256, Opaque(1, 2, 3))}));
    EXPECT_EQ(ico.entries[0].width, 0);
    EXPECT_EQ(ico.entries[0].height, 0);
    EXPECT_EQ(ico.images[0].header.width, 256);
}

}  // namespace
}  // namespace kestrin::art::test
