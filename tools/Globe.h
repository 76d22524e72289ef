#pragma once
// The earth of the program icon: a shaded sphere with blue oceans and green land.

#include <optional>

#include "Paint.h"

namespace kestrin::art {

struct GlobeLayout {
    Vec2 centre;
    double radius = 0;
    double rimWidth = 0;  // pixels of darker edge that keep the disc apart from any background
};

std::optional<Paint> ShadeGlobe(const GlobeLayout& globe, Vec2 point);

}  // namespace kestrin::art
