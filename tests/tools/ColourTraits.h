#pragma once
// Coarse colour classes for checking what a picture shows without pinning exact values.

#include "Image.h"

namespace kestrin::art::test {

int Lightness(Rgba c);     // mean of the three channels
bool IsLightGrey(Rgba c);  // nearly neutral and well above mid-grey, but not white

}  // namespace kestrin::art::test
