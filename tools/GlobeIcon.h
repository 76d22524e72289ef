#pragma once
// The program icon: a globe with a network cable plugged in at its lower right.

#include <vector>

#include "Image.h"

namespace kestrin::art {

// Laid out afresh for each size, so that thin parts stay whole pixels wide when small.
Image DrawGlobeIcon(int size);

// The sizes Windows asks for in the tray, title bars and Explorer.
std::vector<Image> DrawGlobeIconSizes();

}  // namespace kestrin::art
