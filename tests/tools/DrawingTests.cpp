// The drawing building blocks and the globe icon, checked in memory before any encoding.

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "ColourTraits.h"
#include "GlobeIcon.h"
#include "Strips.h"
#include "Supersampler.h"

namespace kestrin::art::test {
namespace {

TEST(VerticalGradient, HoldsEachStopOutsideAndInterpolatesBetween) {
    const Rgba upper = Opaque(0, 100, 200);
    const Rgba lower = Opaque(40, 100, 0);
    const Image image = VerticalGradient(3, 9, {2, upper}, {6, lower});
    for (int x = 0; x < 3; ++x) {
        for (int y = 0; y <= 2; ++y) EXPECT_EQ(image.at(x, y), upper) << x << "," << y;
        for (int y = 6; y < 9; ++y) EXPECT_EQ(image.at(x, y), lower) << x << "," << y;
        EXPECT_EQ(image.at(x, 4), Opaque(20, 100, 100)) << x;
        EXPECT_EQ(image.at(x, 3), Opaque(10, 100, 150)) << x;
    }
}

Shader LeftOf(double edge) {
    return [edge](Vec2 point) -> std::optional<Paint> {
        if (point.x >= edge) return std::nullopt;
        return FromBytes(255, 255, 255);
    };
}

TEST(Supersampler, PixelIsOpaqueOnceHalfItsSamplesHit) {
    const Image half = Supersample(3, 1, LeftOf(1.5), 8);
    EXPECT_EQ(half.at(0, 0), kWhite);
    EXPECT_EQ(half.at(1, 0), kWhite);
    EXPECT_EQ(half.at(2, 0).a, 0);
    const Image lessThanHalf = Supersample(3, 1, LeftOf(1.4), 8);
    EXPECT_EQ(lessThanHalf.at(1, 0).a, 0);
}

TEST(Supersampler, PixelTakesTheMeanOfItsHitsOnly) {
    // Red above the middle of the pixel, blue below it, nothing in the right quarter.
    const Shader split = [](Vec2 point) -> std::optional<Paint> {
        if (point.x > 0.75) return std::nullopt;
        return point.y < 0.5 ? FromBytes(255, 0, 0) : FromBytes(0, 0, 255);
    };
    const Rgba pixel = Supersample(1, 1, split, 8).at(0, 0);
    EXPECT_EQ(pixel.a, 255);
    EXPECT_EQ(pixel.r, pixel.b);
    EXPECT_NEAR(pixel.r, 128, 1);
    EXPECT_EQ(pixel.g, 0);
}

bool TouchesTransparency(const Image& image, int x, int y) {
    const int dx[] = {-1, 1, 0, 0};
    const int dy[] = {0, 0, -1, 1};
    for (int i = 0; i < 4; ++i) {
        const int nx = x + dx[i];
        const int ny = y + dy[i];
        if (nx < 0 || ny < 0 || nx >= image.width() || ny >= image.height()) continue;
        if (image.at(nx, ny).a == 0) return true;
    }
    return false;
}

class GlobeIconSize : public ::testing::TestWithParam<int> {};

TEST_P(GlobeIconSize, IsSquareOfTheAskedSize) {
    const Image icon = DrawGlobeIcon(GetParam());
    EXPECT_EQ(icon.width(), GetParam());
    EXPECT_EQ(icon.height(), GetParam());
}

// A dark silhouette keeps the picture apart from light and dark backgrounds alike.
TEST_P(GlobeIconSize, SilhouetteIsMostlyDark) {
    const Image icon = DrawGlobeIcon(GetParam());
    int edgePixels = 0;
    int darkEdgePixels = 0;
    for (int y = 0; y < icon.height(); ++y) {
        for (int x = 0; x < icon.width(); ++x) {
            if (icon.at(x, y).a == 0 || !TouchesTransparency(icon, x, y)) continue;
            ++edgePixels;
            if (Lightness(icon.at(x, y)) < 110) ++darkEdgePixels;
        }
    }
    ASSERT_GT(edgePixels, GetParam());
    EXPECT_GE(darkEdgePixels * 10, edgePixels * 9);
}

// Lit from the upper left: the brightest sea or land lies in the upper left quarter.
TEST_P(GlobeIconSize, HighlightSitsUpperLeft) {
    const Image icon = DrawGlobeIcon(GetParam());
    int brightestX = -1;
    int brightestY = -1;
    int brightest = -1;
    for (int y = 0; y < icon.height(); ++y) {
        for (int x = 0; x < icon.width(); ++x) {
            const Rgba pixel = icon.at(x, y);
            if (pixel.a == 0 || IsLightGrey(pixel) || Lightness(pixel) <= brightest) continue;
            if (pixel.b <= pixel.r && pixel.g <= pixel.r) continue;  // not sea or land
            brightest = Lightness(pixel);
            brightestX = x;
            brightestY = y;
        }
    }
    EXPECT_LT(brightestX, GetParam() / 2);
    EXPECT_LT(brightestY, GetParam() / 2);
}

INSTANTIATE_TEST_SUITE_P(Sizes, GlobeIconSize, ::testing::ValuesIn(kGlobeIconSizes));

TEST(GlobeIcon, ComesInEverySizeWindowsAsksForUpTo150Percent) {
    std::vector<int> sizes;
    for (const Image& image : DrawGlobeIconSizes()) sizes.push_back(image.width());
    EXPECT_EQ(sizes, (std::vector<int>{16, 20, 24, 32, 40, 48}));
}

// The frames of 20 and 24 pixels are drawn for their size, not the 16-pixel picture with a
// margin: the light-grey plug and lead grow with the icon.
TEST(GlobeIcon, SmallCableGrowsWithTheIcon) {
    int previousWidth = 0;
    for (int size : {16, 20, 24}) {
        const Image icon = DrawGlobeIcon(size);
        int plugWidth = 0;
        for (int x = size / 2; x < size; ++x) {
            int lightRun = 0;
            for (int y = size / 2; y < size; ++y) lightRun += IsLightGrey(icon.at(x, y));
            plugWidth = std::max(plugWidth, lightRun);
        }
        EXPECT_GT(plugWidth, previousWidth) << size;
        previousWidth = plugWidth;
    }
}

}  // namespace
}  // namespace kestrin::art::test
