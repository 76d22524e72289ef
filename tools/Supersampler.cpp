#include "Supersampler.h"

#include <algorithm>
#include <cmath>

namespace kestrin::art {

namespace {

std::uint8_t ToByte(double channel) {
    return static_cast<std::uint8_t>(std::lround(std::clamp(channel, 0.0, 1.0) * 255.0));
}

Rgba SamplePixel(int x, int y, const Shader& shader, int samplesPerAxis) {
    Paint sum;
    int hits = 0;
    for (int j = 0; j < samplesPerAxis; ++j) {
        for (int i = 0; i < samplesPerAxis; ++i) {
            const Vec2 point{x + (i + 0.5) / samplesPerAxis, y + (j + 0.5) / samplesPerAxis};
            const std::optional<Paint> paint = shader(point);
            if (!paint) continue;
            sum = {sum.r + paint->r, sum.g + paint->g, sum.b + paint->b};
            ++hits;
        }
    }
    if (2 * hits < samplesPerAxis * samplesPerAxis) return kTransparent;
    const Paint mean = Scaled(sum, 1.0 / hits);
    return Opaque(ToByte(mean.r), ToByte(mean.g), ToByte(mean.b));
}

}  // namespace

Image Supersample(int width, int height, const Shader& shader, int samplesPerAxis) {
    Image image(width, height, kTransparent);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) image.set(x, y, SamplePixel(x, y, shader, samplesPerAxis));
    }
    return image;
}

}  // namespace kestrin::art
