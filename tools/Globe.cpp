#include "Globe.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace kestrin::art {

namespace {

constexpr Paint kOcean = FromBytes(38, 112, 222);
constexpr Paint kLand = FromBytes(64, 172, 58);
constexpr Paint kWhitePaint = FromBytes(255, 255, 255);
constexpr double kRimDarkening = 0.5;

// A round patch of land on the sphere: where its centre shows on the unit disc, and how
// far, as an angle seen from the sphere's middle, the patch reaches.
struct LandPatch {
    double discX;
    double discY;
    double angularRadius;
};

// Overlapping patches merge into two continents, one on each side, with open sea between
// them so both colours survive even at 16 pixels.
constexpr std::array<LandPatch, 10> kLandPatches{{
    {-0.50, -0.45, 0.42},
    {-0.18, -0.62, 0.26},
    {-0.62, -0.05, 0.24},
    {-0.38, 0.28, 0.26},
    {-0.30, 0.62, 0.20},
    {0.40, -0.58, 0.30},
    {0.72, -0.30, 0.28},
    {0.48, -0.05, 0.22},
    {0.60, 0.28, 0.22},
    {0.20, 0.10, 0.12},
}};

Vec3 OnSphere(double discX, double discY) {
    return {discX, discY, std::sqrt(std::max(0.0, 1.0 - discX * discX - discY * discY))};
}

// A gentle ripple on the angular radius so coasts are not perfect circles.
double CoastRipple(Vec3 normal) {
    return 0.05 * std::sin(11.0 * normal.x + 3.0 * normal.y) * std::cos(9.0 * normal.y);
}

bool IsLand(Vec3 normal) {
    const double ripple = CoastRipple(normal);
    return std::any_of(kLandPatches.begin(), kLandPatches.end(), [&](const LandPatch& patch) {
        const Vec3 centre = OnSphere(patch.discX, patch.discY);
        return Dot(normal, centre) > std::cos(patch.angularRadius + ripple);
    });
}

// Light from the upper left and somewhat in front, as Windows icons are lit.
Paint Lit(Paint surface, Vec3 normal) {
    const Vec3 light = Normalised(Vec3{-0.55, -0.65, 0.55});
    const double diffuse = std::max(0.0, Dot(normal, light));
    const Paint shaded = Scaled(surface, 0.45 + 0.7 * diffuse);
    const Vec3 halfway = Normalised(Vec3{light.x, light.y, light.z + 1.0});
    const double glint = std::pow(std::max(0.0, Dot(normal, halfway)), 40.0);
    return Mixed(shaded, kWhitePaint, 0.6 * glint);
}

}  // namespace

std::optional<Paint> ShadeGlobe(const GlobeLayout& globe, Vec2 point) {
    const Vec2 disc = (point - globe.centre) * (1.0 / globe.radius);
    const double fromCentre = Length(disc);
    if (fromCentre > 1.0) return std::nullopt;
    const Vec3 normal = OnSphere(disc.x, disc.y);
    const Paint surface = IsLand(normal) ? kLand : kOcean;
    if ((1.0 - fromCentre) * globe.radius < globe.rimWidth) {
        return Scaled(surface, kRimDarkening);
    }
    return Lit(surface, normal);
}

}  // namespace kestrin::art
