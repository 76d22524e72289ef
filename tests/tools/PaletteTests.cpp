// Palette choice for icon images: exact when the colours fit, close when they do not.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <set>

#include "Palette.h"

namespace kestrin::art::test {
namespace {

constexpr Rgba kBlack = Opaque(0, 0, 0);

Rgba EntryOf(const IndexedImage& indexed, const Image& image, int x, int y) {
    const auto at = static_cast<std::size_t>(y * image.width() + x);
    return indexed.palette.at(indexed.indices.at(at));
}

int LargestChannelError(Rgba a, Rgba b) {
    return std::max({std::abs(a.r - b.r), std::abs(a.g - b.g), std::abs(a.b - b.b)});
}

// 64 x 64 distinct colours: far more than a palette holds.
Image ColourRamp() {
    Image image(64, 64, kTransparent);
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x) {
            image.set(x, y,
                      Opaque(static_cast<std::uint8_t>(x * 4), static_cast<std::uint8_t>(y * 4),
                             static_cast<std::uint8_t>((x + y) * 2)));
        }
    }
    return image;
}

TEST(Palette, FewColoursAreKeptExactlyAfterBlack) {
    Image image(3, 1, kTransparent);
    image.set(0, 0, Opaque(200, 10, 10));
    image.set(1, 0, Opaque(10, 200, 10));
    image.set(2, 0, Opaque(200, 10, 10));
    const IndexedImage indexed = IndexColours(image);
    ASSERT_EQ(indexed.palette.size(), 3u);
    EXPECT_EQ(indexed.palette[0], kBlack);
    for (int x = 0; x < 3; ++x) EXPECT_EQ(EntryOf(indexed, image, x, 0), image.at(x, 0));
}

TEST(Palette, TransparentPixelsTakeBlackAndAddNoEntries) {
    Image image(2, 2, kTransparent);
    image.set(1, 1, Opaque(9, 99, 199));
    const IndexedImage indexed = IndexColours(image);
    EXPECT_EQ(indexed.palette.size(), 2u);
    EXPECT_EQ(indexed.indices[0], 0);
    EXPECT_EQ(indexed.palette[indexed.indices[3]], image.at(1, 1));
}

TEST(Palette, ManyColoursShareAtMost256CloseEntries) {
    const Image image = ColourRamp();
    const IndexedImage indexed = IndexColours(image);
    EXPECT_LE(indexed.palette.size(), 256u);
    EXPECT_GE(indexed.palette.size(), 200u);
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x) {
            EXPECT_LE(LargestChannelError(EntryOf(indexed, image, x, y), image.at(x, y)), 24)
                << x << "," << y;
        }
    }
}

TEST(Palette, EveryEntryIsUsedBySomePixel) {
    const IndexedImage indexed = IndexColours(ColourRamp());
    const std::set<std::uint8_t> used(indexed.indices.begin(), indexed.indices.end());
    for (std::size_t i = 1; i < indexed.palette.size(); ++i) {
        EXPECT_TRUE(used.count(static_cast<std::uint8_t>(i))) << i;
    }
}

TEST(Palette, PictureReducedToAPaletteKeepsItsShapeAndCloseColours) {
    Image image = ColourRamp();
    image.set(5, 7, kTransparent);
    const Image reduced = WithPaletteOf(image, 128);
    std::set<std::uint32_t> colours;
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x) {
            const Rgba pixel = reduced.at(x, y);
            EXPECT_EQ(pixel.a, image.at(x, y).a) << x << "," << y;
            if (pixel.a == 0) continue;
            colours.insert(static_cast<std::uint32_t>(pixel.r << 16 | pixel.g << 8 | pixel.b));
            EXPECT_LE(LargestChannelError(pixel, image.at(x, y)), 40) << x << "," << y;
        }
    }
    EXPECT_LE(colours.size(), 128u);
    EXPECT_GE(colours.size(), 100u);
    // Encoded again, it needs no larger palette, however many colours it had.
    EXPECT_LE(IndexColours(reduced).palette.size(), 128u);
}

}  // namespace
}  // namespace kestrin::art::test
