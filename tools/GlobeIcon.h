#pragma once
// The program icon: a globe with a network cable plugged in at its lower right.

#include <array>
#include <vector>

#include "Image.h"

namespace kestrin::art {

// Laid out afresh for each size, so that thin parts stay whole pixels wide when small.
Image DrawGlobeIcon(int size);

// The small icon at 100, 125, 150 and 200 % is 16, 20, 24 and 32 pixels, the large one 32,
// 40 and 48 at 100 to 150 %: each gets a frame of its own, so Windows never scales one.
inline constexpr std::array<int, 6> kGlobeIconSizes{16, 20, 24, 32, 40, 48};

// One picture for each of kGlobeIconSizes, smallest first.
std::vector<Image> DrawGlobeIconSizes();

}  // namespace kestrin::art
