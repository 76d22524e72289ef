#pragma once
// Turns a drawing into pixels, averaging a grid of samples per pixel so edges look smooth.

#include "Image.h"
#include "Paint.h"

namespace kestrin::art {

// A pixel is opaque when at least half of its samples hit the drawing, and then takes the
// mean of those samples; icon masks have one bit, so there is no partial transparency.
Image Supersample(int width, int height, const Shader& shader, int samplesPerAxis);

}  // namespace kestrin::art
