#include "Palette.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <map>
#include <utility>

namespace kestrin::art {

namespace {

struct ColourCount {
    Rgba colour;
    std::size_t count = 0;
};

using Box = std::vector<ColourCount>;

constexpr Rgba kBlack = Opaque(0, 0, 0);

std::uint32_t Packed(Rgba c) {
    return static_cast<std::uint32_t>(c.r) << 16 | static_cast<std::uint32_t>(c.g) << 8 | c.b;
}

Box CountOpaqueColours(const Image& image) {
    std::map<std::uint32_t, ColourCount> counts;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const Rgba pixel = image.at(x, y);
            if (pixel.a == 0) continue;
            ColourCount& entry = counts[Packed(pixel)];
            entry.colour = Opaque(pixel.r, pixel.g, pixel.b);
            ++entry.count;
        }
    }
    Box colours;
    for (const auto& [key, entry] : counts) colours.push_back(entry);
    return colours;
}

int Channel(Rgba c, int channel) {
    const std::array<int, 3> values{c.r, c.g, c.b};
    return values[static_cast<std::size_t>(channel)];
}

auto ByChannel(int channel) {
    return [channel](const ColourCount& a, const ColourCount& b) {
        return Channel(a.colour, channel) < Channel(b.colour, channel);
    };
}

int ChannelRange(const Box& box, int channel) {
    const auto [lo, hi] = std::minmax_element(box.begin(), box.end(), ByChannel(channel));
    return Channel(hi->colour, channel) - Channel(lo->colour, channel);
}

int WidestChannel(const Box& box) {
    int widest = 0;
    for (int channel = 1; channel < 3; ++channel) {
        if (ChannelRange(box, channel) > ChannelRange(box, widest)) widest = channel;
    }
    return widest;
}

int LargestSpread(const Box& box) { return ChannelRange(box, WidestChannel(box)); }

// Splits at the pixel-weighted median of the widest channel; both halves stay non-empty.
std::pair<Box, Box> SplitBox(Box box) {
    std::sort(box.begin(), box.end(), ByChannel(WidestChannel(box)));
    std::size_t total = 0;
    for (const auto& entry : box) total += entry.count;
    std::size_t cut = 1;
    std::size_t below = box[0].count;
    while (cut + 1 < box.size() && below * 2 < total) {
        below += box[cut].count;
        ++cut;
    }
    const auto middle = box.begin() + static_cast<std::ptrdiff_t>(cut);
    return {Box(box.begin(), middle), Box(middle, box.end())};
}

std::vector<Box> MedianCut(Box colours, std::size_t boxCount) {
    std::vector<Box> boxes{std::move(colours)};
    while (boxes.size() < boxCount) {
        const auto widest = std::max_element(
            boxes.begin(), boxes.end(),
            [](const Box& a, const Box& b) { return LargestSpread(a) < LargestSpread(b); });
        if (widest->size() < 2) break;
        auto [low, high] = SplitBox(std::move(*widest));
        *widest = std::move(low);
        boxes.push_back(std::move(high));
    }
    return boxes;
}

std::uint8_t WeightedMean(const Box& box, int channel) {
    std::size_t sum = 0;
    std::size_t total = 0;
    for (const auto& entry : box) {
        sum += static_cast<std::size_t>(Channel(entry.colour, channel)) * entry.count;
        total += entry.count;
    }
    return static_cast<std::uint8_t>((sum + total / 2) / total);
}

Rgba MeanColour(const Box& box) {
    return Opaque(WeightedMean(box, 0), WeightedMean(box, 1), WeightedMean(box, 2));
}

int SquaredDistance(Rgba a, Rgba b) {
    int sum = 0;
    for (int channel = 0; channel < 3; ++channel) {
        const int d = Channel(a, channel) - Channel(b, channel);
        sum += d * d;
    }
    return sum;
}

Palette ChoosePalette(const Image& image, std::size_t maxEntries) {
    Box colours = CountOpaqueColours(image);
    Palette palette{kBlack};
    if (colours.empty()) return palette;
    if (colours.size() < maxEntries) {
        for (const auto& entry : colours) palette.push_back(entry.colour);
        return palette;
    }
    for (const Box& box : MedianCut(std::move(colours), maxEntries - 1)) {
        palette.push_back(MeanColour(box));
    }
    return palette;
}

std::uint8_t NearestEntry(const Palette& palette, Rgba colour) {
    std::size_t best = 0;
    for (std::size_t i = 1; i < palette.size(); ++i) {
        if (SquaredDistance(palette[i], colour) < SquaredDistance(palette[best], colour)) best = i;
    }
    return static_cast<std::uint8_t>(best);
}

std::vector<std::uint8_t> MapPixels(const Image& image, const Palette& palette) {
    std::vector<std::uint8_t> indices;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const Rgba pixel = image.at(x, y);
            indices.push_back(pixel.a == 0 ? std::uint8_t{0} : NearestEntry(palette, pixel));
        }
    }
    return indices;
}

// Averaged entries can end up nearest to none of the pixels; those are dropped.
IndexedImage DropUnusedEntries(const Palette& palette, std::vector<std::uint8_t> indices) {
    std::vector<bool> used(palette.size(), false);
    used[0] = true;
    for (const std::uint8_t index : indices) used[index] = true;
    IndexedImage indexed;
    std::vector<std::uint8_t> renumbered(palette.size(), 0);
    for (std::size_t i = 0; i < palette.size(); ++i) {
        if (!used[i]) continue;
        renumbered[i] = static_cast<std::uint8_t>(indexed.palette.size());
        indexed.palette.push_back(palette[i]);
    }
    for (std::uint8_t& index : indices) index = renumbered[index];
    indexed.indices = std::move(indices);
    return indexed;
}

}  // namespace

IndexedImage IndexColours(const Image& image, std::size_t maxEntries) {
    const Palette palette = ChoosePalette(image, std::clamp<std::size_t>(maxEntries, 2, 256));
    return DropUnusedEntries(palette, MapPixels(image, palette));
}

Image WithPaletteOf(const Image& image, std::size_t entries) {
    const IndexedImage indexed = IndexColours(image, entries);
    Image reduced(image.width(), image.height(), kTransparent);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.at(x, y).a == 0) continue;
            const auto i = static_cast<std::size_t>(y * image.width() + x);
            reduced.set(x, y, indexed.palette[indexed.indices[i]]);
        }
    }
    return reduced;
}

}  // namespace kestrin::art
