#pragma once
// Writes a picture as an uncompressed 24-bit Windows bitmap file; alpha is dropped.

#include "Image.h"
#include "LittleEndian.h"

namespace kestrin::art {

Bytes EncodeBmp24(const Image& image);

}  // namespace kestrin::art
