#pragma once
// Writes pictures as one .ico file: each a classic 8-bit palette DIB with a 1-bit
// transparency mask, which every Windows version and windres accept.

#include <vector>

#include "Image.h"
#include "LittleEndian.h"

namespace kestrin::art {

// Each picture must be square and at most 256 pixels wide; alpha 0 marks transparent pixels.
Bytes EncodeIco(const std::vector<Image>& images);

}  // namespace kestrin::art
