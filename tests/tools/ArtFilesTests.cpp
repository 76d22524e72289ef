// The files kestrin-art writes, decoded again and checked for what the program needs.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "ArtToolRun.h"
#include "BmpReader.h"
#include "ColourTraits.h"
#include "IcoReader.h"

namespace kestrin::art::test {
namespace {

class ArtFiles : public ::testing::Test {
protected:
    ArtFiles() : scratch_(CurrentTestName()) {}

    void SetUp() override { ASSERT_TRUE(RunArtTool({scratch_.path().string()})); }

    Bytes Read(const std::string& name) const { return ReadFileBytes(scratch_.path() / name); }

    ScratchDirectory scratch_;
};

TEST_F(ArtFiles, AreExactlyTheFourResources) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(scratch_.path())) {
        names.insert(entry.path().filename().string());
    }
    EXPECT_EQ(names, (std::set<std::string>{"kestrin.ico", "strip_top.bmp", "strip_bottom.bmp",
                                            "close.bmp"}));
}

// ---- kestrin.ico

// The small icon at 100, 125, 150 and 200 % and the large one up to 150 % each have a
// frame of their own, so Windows never scales one.
TEST_F(ArtFiles, IconDirectoryListsSix8BitSizes) {
    const DecodedIco ico = DecodeIco(Read("kestrin.ico"));
    EXPECT_EQ(ico.reserved, 0);
    EXPECT_EQ(ico.type, 1);
    const int sizes[] = {16, 20, 24, 32, 40, 48};
    ASSERT_EQ(ico.entries.size(), std::size(sizes));
    for (std::size_t i = 0; i < std::size(sizes); ++i) {
        const IcoEntry& entry = ico.entries[i];
        EXPECT_EQ(entry.width, sizes[i]);
        EXPECT_EQ(entry.height, sizes[i]);
        EXPECT_EQ(entry.colourCount, 0);
        EXPECT_EQ(entry.reserved, 0);
        EXPECT_EQ(entry.planes, 1);
        EXPECT_EQ(entry.bitsPerPixel, 8);
    }
}

TEST_F(ArtFiles, IconImagesAreClassicDibsThatFillTheFileInOrder) {
    const Bytes bytes = Read("kestrin.ico");
    const DecodedIco ico = DecodeIco(bytes);
    ASSERT_EQ(ico.images.size(), ico.entries.size());
    std::size_t expectedOffset = 6 + 16 * ico.entries.size();
    for (std::size_t i = 0; i < ico.entries.size(); ++i) {
        const IcoEntry& entry = ico.entries[i];
        const DibHeaderFields& header = ico.images[i].header;
        const int size = entry.width;
        const std::size_t pixelBytes =
            static_cast<std::size_t>(size) * (DibRowBytes(size, 8) + DibRowBytes(size, 1));
        EXPECT_EQ(entry.offset, expectedOffset);
        EXPECT_EQ(header.headerBytes, 40u);
        EXPECT_EQ(header.width, size);
        EXPECT_EQ(header.height, 2 * size);
        EXPECT_EQ(header.planes, 1);
        EXPECT_EQ(header.bitsPerPixel, 8);
        EXPECT_EQ(header.compression, 0u);
        EXPECT_EQ(header.imageBytes, pixelBytes);
        EXPECT_EQ(entry.bytes, 40 + 4 * header.coloursUsed + pixelBytes);
        expectedOffset = entry.offset + entry.bytes;
    }
    EXPECT_EQ(expectedOffset, bytes.size());
}

TEST_F(ArtFiles, IconPalettesHoldTheColoursInUse) {
    const DecodedIco ico = DecodeIco(Read("kestrin.ico"));
    for (const IcoImage& image : ico.images) {
        EXPECT_GE(image.palette.size(), 8u);
        EXPECT_LE(image.palette.size(), 256u);
        std::set<std::uint8_t> opaqueIndices;
        for (std::size_t i = 0; i < image.indices.size(); ++i) {
            const int x = static_cast<int>(i) % image.pixels.width();
            const int y = static_cast<int>(i) / image.pixels.width();
            if (image.pixels.at(x, y).a != 0) opaqueIndices.insert(image.indices[i]);
        }
        // Every entry but the black one for transparent pixels shows somewhere.
        EXPECT_GE(opaqueIndices.size() + 1, image.palette.size()) << image.header.width;
        // The frames for 125 and 150 % keep to half a table, to keep the program small.
        const int width = image.header.width;
        if (width == 20 || width == 24 || width == 40) {
            EXPECT_LE(image.palette.size(), 128u) << width;
        }
    }
}

TEST_F(ArtFiles, IconMasksLeaveTheCornersTransparentAndTheGlobeOpaque) {
    const DecodedIco ico = DecodeIco(Read("kestrin.ico"));
    for (const IcoImage& image : ico.images) {
        const Image& pixels = image.pixels;
        const int last = pixels.width() - 1;
        int transparent = 0;
        for (std::size_t i = 0; i < image.indices.size(); ++i) {
            const int x = static_cast<int>(i) % pixels.width();
            const int y = static_cast<int>(i) / pixels.width();
            if (pixels.at(x, y).a != 0) continue;
            ++transparent;
            EXPECT_EQ(image.palette[image.indices[i]], Opaque(0, 0, 0)) << x << "," << y;
        }
        EXPECT_GT(transparent, pixels.width() * pixels.height() / 10) << pixels.width();
        EXPECT_LT(transparent, pixels.width() * pixels.height() * 6 / 10) << pixels.width();
        EXPECT_EQ(pixels.at(0, 0).a, 0) << pixels.width();
        EXPECT_EQ(pixels.at(last, 0).a, 0) << pixels.width();
        EXPECT_EQ(pixels.at(0, last).a, 0) << pixels.width();
        EXPECT_EQ(pixels.at(last / 3, last / 3).a, 255) << pixels.width();
    }
}

int CountPixels(const Image& image, int fromX, int fromY, bool (*matches)(Rgba)) {
    int count = 0;
    for (int y = fromY; y < image.height(); ++y) {
        for (int x = fromX; x < image.width(); ++x) {
            if (image.at(x, y).a != 0 && matches(image.at(x, y))) ++count;
        }
    }
    return count;
}

TEST_F(ArtFiles, IconShowsSeaLandAndACableLowerRight) {
    const DecodedIco ico = DecodeIco(Read("kestrin.ico"));
    for (const IcoImage& image : ico.images) {
        const Image& pixels = image.pixels;
        const int half = pixels.width() / 2;
        const int area = pixels.width() * pixels.height();
        EXPECT_GT(CountPixels(pixels, 0, 0, IsBlueDominant), area / 10) << pixels.width();
        EXPECT_GT(CountPixels(pixels, 0, 0, IsGreenDominant), area / 10) << pixels.width();
        EXPECT_GE(CountPixels(pixels, half, half, IsLightGrey), 4) << pixels.width();
    }
}

// ---- strip_top.bmp and strip_bottom.bmp

void ExpectStripHeaders(const Bytes& bytes, const DecodedBmp& bmp) {
    EXPECT_EQ(bytes.size(), 54u + 4 * 32) << "one 3-byte pixel a row, padded to 4 bytes";
    EXPECT_EQ(bmp.sizeField, bytes.size());
    EXPECT_EQ(bmp.pixelOffset, 54u);
    EXPECT_EQ(bmp.header.headerBytes, 40u);
    EXPECT_EQ(bmp.header.width, 1);
    EXPECT_EQ(bmp.header.height, 32);
    EXPECT_EQ(bmp.header.bitsPerPixel, 24);
    EXPECT_EQ(bmp.header.compression, 0u);
}

TEST_F(ArtFiles, StripsAreOneColumnOf32TrueColourPixels) {
    for (const char* name : {"strip_top.bmp", "strip_bottom.bmp"}) {
        SCOPED_TRACE(name);
        const Bytes bytes = Read(name);
        const DecodedBmp bmp = DecodeBmp24(bytes);
        ExpectStripHeaders(bytes, bmp);
    }
}

TEST_F(ArtFiles, TopStripLightensFromGreyToWhite) {
    const Image strip = DecodeBmp24(Read("strip_top.bmp")).pixels;
    const Rgba top = strip.at(0, 0);
    EXPECT_TRUE(IsGrey(top));
    EXPECT_NEAR(top.r, 229, 2);
    for (int y = 1; y <= 23; ++y) {
        EXPECT_TRUE(IsGrey(strip.at(0, y))) << y;
        EXPECT_GT(strip.at(0, y).r, strip.at(0, y - 1).r) << y;  // lighter on every row
    }
    for (int y = 23; y < 32; ++y) EXPECT_EQ(strip.at(0, y), kWhite) << y;
}

TEST_F(ArtFiles, BottomStripIsTheTopStripUpsideDownWithATintedLastRow) {
    const Image top = DecodeBmp24(Read("strip_top.bmp")).pixels;
    const Image bottom = DecodeBmp24(Read("strip_bottom.bmp")).pixels;
    for (int y = 0; y <= 8; ++y) EXPECT_EQ(bottom.at(0, y), kWhite) << y;
    for (int y = 9; y < 32; ++y) {
        const Rgba mirrored = top.at(0, 31 - y);
        const Rgba above = bottom.at(0, y - 1);
        EXPECT_LT(bottom.at(0, y).r, above.r) << y;  // darker on every row
        EXPECT_LT(bottom.at(0, y).g, above.g) << y;
        EXPECT_LT(bottom.at(0, y).b, above.b) << y;
        EXPECT_NEAR(bottom.at(0, y).r, mirrored.r, 1) << y;
        EXPECT_NEAR(bottom.at(0, y).g, mirrored.g, 2) << y;
        EXPECT_NEAR(bottom.at(0, y).b, mirrored.b, 2) << y;
    }
    EXPECT_EQ(bottom.at(0, 31), Opaque(229, 227, 228));
}

// ---- close.bmp

class CloseGlyphFile : public ArtFiles {
protected:
    void SetUp() override {
        ArtFiles::SetUp();
        bytes_ = Read("close.bmp");
        glyph_ = DecodeBmp24(bytes_).pixels;
    }

    bool Inked(int x, int y) const { return glyph_.at(x, y) != kWhite; }

    Bytes bytes_;
    Image glyph_{0, 0, kWhite};
};

TEST_F(CloseGlyphFile, IsA16By16TrueColourBitmap) {
    const DecodedBmp bmp = DecodeBmp24(bytes_);
    EXPECT_EQ(bmp.header.width, 16);
    EXPECT_EQ(bmp.header.height, 16);
    EXPECT_EQ(bmp.header.bitsPerPixel, 24);
    EXPECT_EQ(bmp.sizeField, bytes_.size());
    EXPECT_EQ(bytes_.size(), 54u + 16 * 16 * 3);
}

TEST_F(CloseGlyphFile, UsesWhiteAndExactlyFiveGreys) {
    std::set<int> levels;
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            ASSERT_TRUE(IsGrey(glyph_.at(x, y))) << x << "," << y;
            levels.insert(glyph_.at(x, y).r);
        }
    }
    EXPECT_EQ(levels, (std::set<int>{95, 106, 148, 223, 234, 255}));
}

TEST_F(CloseGlyphFile, KeepsATwoPixelWhiteBorderAndFillsTheSquareInside) {
    int minX = 16, minY = 16, maxX = -1, maxY = -1;
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            if (!Inked(x, y)) continue;
            minX = std::min(minX, x);
            minY = std::min(minY, y);
            maxX = std::max(maxX, x);
            maxY = std::max(maxY, y);
        }
    }
    EXPECT_EQ(minX, 2);
    EXPECT_EQ(minY, 2);
    EXPECT_EQ(maxX, 13);
    EXPECT_EQ(maxY, 13);
}

TEST_F(CloseGlyphFile, IsItsOwnMirrorImageAndKeepsItsShapeUpsideDown) {
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            EXPECT_EQ(glyph_.at(x, y), glyph_.at(15 - x, y)) << x << "," << y;
            EXPECT_EQ(Inked(x, y), Inked(x, 15 - y)) << x << "," << y;
        }
    }
}

TEST_F(CloseGlyphFile, TipsAreTheOnlyMidGreyPixels) {
    std::set<std::pair<int, int>> midGrey;
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            if (glyph_.at(x, y) == Grey(148)) midGrey.insert({x, y});
        }
    }
    EXPECT_EQ(midGrey, (std::set<std::pair<int, int>>{{2, 2}, {13, 2}, {2, 13}, {13, 13}}));
}

// Ink stays within a few pixels of the two diagonals, and the middle of each side is clear.
TEST_F(CloseGlyphFile, InkFollowsBothDiagonals) {
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            const int offDiagonal = std::min(std::abs(x - y), std::abs(x + y - 15));
            if (offDiagonal > 3) {
                EXPECT_FALSE(Inked(x, y)) << x << "," << y;
            }
        }
    }
    for (int k = 3; k <= 12; ++k) {
        EXPECT_TRUE(Inked(k, k - 2) || Inked(k, k + 2)) << k;
        EXPECT_TRUE(Inked(k, 13 - k) || Inked(k, 17 - k)) << k;
    }
}

// The first and the last dark edge pixel in row `y` between columns `from` and `to`.
std::pair<int, int> DarkEdgeSpan(const Image& glyph, int y, int from, int to) {
    int first = -1;
    int last = -1;
    for (int x = from; x <= to; ++x) {
        if (glyph.at(x, y) != Grey(95) && glyph.at(x, y) != Grey(106)) continue;
        if (first < 0) first = x;
        last = x;
    }
    return {first, last};
}

// Across each arm, away from the tips and the crossing, two edges enclose white.
TEST_F(CloseGlyphFile, ArmsAreOutlinedWithWhiteBetweenTheEdges) {
    for (const int y : {4, 5, 10, 11}) {
        for (const auto& [from, to] : {std::pair{0, 7}, std::pair{8, 15}}) {
            const auto [first, last] = DarkEdgeSpan(glyph_, y, from, to);
            ASSERT_GE(first, 0) << y << " from " << from;
            EXPECT_GE(last - first - 1, 2) << y << " from " << from;
            for (int x = first + 1; x < last; ++x)
                EXPECT_EQ(glyph_.at(x, y), kWhite) << x << "," << y;
        }
    }
}

// White reachable from the border without crossing ink; what is left white is stroke inside.
std::set<std::pair<int, int>> OutsideWhite(const Image& glyph) {
    std::set<std::pair<int, int>> seen{{0, 0}};
    std::vector<std::pair<int, int>> pending{{0, 0}};
    while (!pending.empty()) {
        const auto [x, y] = pending.back();
        pending.pop_back();
        const std::pair<int, int> neighbours[] = {{x - 1, y}, {x + 1, y}, {x, y - 1}, {x, y + 1}};
        for (const auto& [nx, ny] : neighbours) {
            if (nx < 0 || ny < 0 || nx > 15 || ny > 15 || glyph.at(nx, ny) != kWhite) continue;
            if (seen.insert({nx, ny}).second) pending.push_back({nx, ny});
        }
    }
    return seen;
}

TEST_F(CloseGlyphFile, StrokesAreHollowOutlines) {
    const auto outside = OutsideWhite(glyph_);
    int enclosedWhite = 0;
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            if (glyph_.at(x, y) == kWhite && !outside.count({x, y})) ++enclosedWhite;
        }
    }
    EXPECT_GE(enclosedWhite, 12);
    for (const auto& [x, y] : {std::pair{7, 7}, {8, 8}, {7, 8}, {8, 7}, {4, 4}, {11, 4}}) {
        EXPECT_EQ(glyph_.at(x, y), kWhite) << x << "," << y;
        EXPECT_FALSE(outside.count({x, y})) << x << "," << y;
    }
}

bool IsDarkEdge(Rgba c) { return c == Grey(95) || c == Grey(106); }

TEST_F(CloseGlyphFile, LightGreysOnlySoftenDarkEdges) {
    int softeners = 0;
    for (int y = 2; y <= 13; ++y) {
        for (int x = 2; x <= 13; ++x) {
            const Rgba c = glyph_.at(x, y);
            if (c != Grey(223) && c != Grey(234)) continue;
            ++softeners;
            EXPECT_TRUE(IsDarkEdge(glyph_.at(x - 1, y)) || IsDarkEdge(glyph_.at(x + 1, y)) ||
                        IsDarkEdge(glyph_.at(x, y - 1)) || IsDarkEdge(glyph_.at(x, y + 1)))
                << x << "," << y;
        }
    }
    EXPECT_GT(softeners, 8);
}

// ---- the program itself

TEST(ArtTool, FailsWithoutAnOutputDirectory) { EXPECT_FALSE(RunArtTool({})); }

TEST(ArtTool, FailsWhenTheOutputDirectoryCannotBeMade) {
    const ScratchDirectory scratch(CurrentTestName());
    const auto blocker = scratch.path() / "a-file";
    std::ofstream(blocker) << "in the way";
    EXPECT_FALSE(RunArtTool({(blocker / "art").string()}));
}

}  // namespace
}  // namespace kestrin::art::test
