#pragma once
// Colours while drawing: channels in 0..1 so shading can scale and blend them freely.

#include <functional>
#include <optional>

#include "Geometry.h"

namespace kestrin::art {

struct Paint {
    double r = 0;
    double g = 0;
    double b = 0;
};

inline constexpr Paint FromBytes(int r, int g, int b) { return {r / 255.0, g / 255.0, b / 255.0}; }

inline Paint Scaled(Paint p, double k) { return {p.r * k, p.g * k, p.b * k}; }

inline Paint Mixed(Paint from, Paint to, double t) {
    return {from.r + (to.r - from.r) * t, from.g + (to.g - from.g) * t,
            from.b + (to.b - from.b) * t};
}

// What a drawing shows at a point; nothing means the point is transparent.
using Shader = std::function<std::optional<Paint>(Vec2)>;

}  // namespace kestrin::art
