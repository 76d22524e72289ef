#include "ColourTraits.h"

#include <algorithm>

namespace kestrin::art::test {

namespace {

constexpr int kNeutralSpread = 16;

}  // namespace

int Lightness(Rgba c) { return (c.r + c.g + c.b) / 3; }

bool IsLightGrey(Rgba c) {
    const int spread = std::max({c.r, c.g, c.b}) - std::min({c.r, c.g, c.b});
    return spread <= kNeutralSpread && Lightness(c) >= 170 && Lightness(c) < 250;
}

}  // namespace kestrin::art::test
