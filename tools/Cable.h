#pragma once
// The network cable of the program icon: an RJ45-style plug and its curling lead.

#include <array>
#include <optional>

#include "Paint.h"

namespace kestrin::art {

struct CableLayout {
    Vec2 plugFront;  // middle of the contact end of the plug
    Vec2 direction;  // unit vector from the contact end towards the lead
    double plugLength = 0;
    double plugWidth = 0;
    double bootLength = 0;  // the narrower strain relief between plug and lead
    double bootWidth = 0;
    std::array<Vec2, 4> lead{};  // cubic Bezier control points, starting where the boot ends
    double leadWidth = 0;
    double outlineWidth = 0;
};

std::optional<Paint> ShadeCable(const CableLayout& cable, Vec2 point);

}  // namespace kestrin::art
