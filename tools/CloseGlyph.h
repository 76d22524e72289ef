#pragma once
// The 16 x 16 close button picture: an outlined X on white, where white means transparent.

#include "Image.h"

namespace kestrin::art {

Image DrawCloseGlyph();

}  // namespace kestrin::art
