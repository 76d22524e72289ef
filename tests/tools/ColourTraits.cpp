#include "ColourTraits.h"

#include <algorithm>

namespace kestrin::art::test {

namespace {

constexpr int kDominance = 30;
constexpr int kNeutralSpread = 16;

}  // namespace

int Lightness(Rgba c) { return (c.r + c.g + c.b) / 3; }

bool IsBlueDominant(Rgba c) { return c.b >= c.r + kDominance && c.b >= c.g + kDominance / 2; }

bool IsGreenDominant(Rgba c) { return c.g >= c.r + kDominance && c.g >= c.b + kDominance; }

bool IsLightGrey(Rgba c) {
    const int spread = std::max({c.r, c.g, c.b}) - std::min({c.r, c.g, c.b});
    return spread <= kNeutralSpread && Lightness(c) >= 170 && Lightness(c) < 250;
}

bool IsGrey(Rgba c) { return c.r == c.g && c.g == c.b; }

}  // namespace kestrin::art::test
