#include "GlobeIcon.h"

#include <algorithm>
#include <cmath>

#include "Cable.h"
#include "Globe.h"
#include "Palette.h"
#include "Supersampler.h"

namespace kestrin::art {

namespace {

constexpr int kSamplesPerAxis = 8;
constexpr int kSmallestDetailedSize = 32;
// The frames for 125 and 150 % keep to half a colour table: at their size no one sees the
// difference, and the smaller tables keep the program under 48 KiB.
constexpr std::size_t kAddedFramePalette = 128;

// The disc is centred on a pixel centre and just under a whole number of pixels across, so
// its top, bottom and sides each get a flat run of pixels rather than a lone bump.
GlobeLayout GlobeFor(int size, double centreShare) {
    const double centre = std::floor(centreShare * size) + 0.5;
    return {{centre, centre}, centre - 0.1, std::max(0.024 * size, 1.0)};
}

Vec2 LeadStart(const CableLayout& cable) {
    return cable.plugFront + cable.direction * (cable.plugLength + cable.bootLength);
}

// A diagonal plug smears at these sizes, so it lies level on whole pixels, low on the right
// of the globe, and the lead turns straight down to the bottom edge. The plug grows with the
// icon by whole pixels; drawn for 16 pixels, its parts are 4 pixels square.
CableLayout SmallCable(int size, const GlobeLayout& globe) {
    const double s = size;
    const double grow = s / 16.0;
    const double plug = std::round(4.0 * grow);
    CableLayout cable;
    cable.direction = {1.0, 0.0};
    cable.plugFront = {globe.centre.x + std::round(2.5 * grow - 0.5) + 0.5, s - 2.0 - plug / 2.0};
    cable.plugLength = plug;
    cable.plugWidth = plug;
    cable.leadWidth = 2.6 * grow;
    cable.bootWidth = cable.leadWidth;
    cable.outlineWidth = 1.0;
    const Vec2 start = LeadStart(cable);
    cable.lead = {start, start + Vec2{2.0 * grow, 0.0}, Vec2{s, s},
                  Vec2{s - 1.5 * grow, s + grow}};
    return cable;
}

// The plug points at the globe's middle from the lower right, its front just inside the rim;
// the lead leaves it, bends down and curls back left to the bottom edge.
CableLayout LargeCable(int size, const GlobeLayout& globe) {
    const double s = size;
    CableLayout cable;
    cable.direction = Normalised(Vec2{1.0, 1.0});
    cable.plugFront = globe.centre + cable.direction * (globe.radius - 0.03 * s);
    cable.plugLength = 0.24 * s;
    cable.plugWidth = 0.21 * s;
    cable.bootLength = 0.06 * s;
    cable.bootWidth = 0.12 * s;
    cable.leadWidth = 0.085 * s;
    cable.outlineWidth = std::max(0.03 * s, 1.2);
    const Vec2 start = LeadStart(cable);
    cable.lead = {start, start + cable.direction * (0.20 * s), Vec2{0.84 * s, 1.02 * s},
                  Vec2{0.52 * s, 0.98 * s}};
    return cable;
}

}  // namespace

Image DrawGlobeIcon(int size) {
    const bool small = size < kSmallestDetailedSize;
    const GlobeLayout globe = GlobeFor(size, small ? 0.40 : 0.36);
    const CableLayout cable = small ? SmallCable(size, globe) : LargeCable(size, globe);
    const Shader scene = [&](Vec2 point) -> std::optional<Paint> {
        if (auto inFront = ShadeCable(cable, point)) return inFront;
        return ShadeGlobe(globe, point);
    };
    return Supersample(size, size, scene, kSamplesPerAxis);
}

std::vector<Image> DrawGlobeIconSizes() {
    std::vector<Image> images;
    for (int size : kGlobeIconSizes) {
        const bool added = size == 20 || size == 24 || size == 40;
        images.push_back(added ? WithPaletteOf(DrawGlobeIcon(size), kAddedFramePalette)
                               : DrawGlobeIcon(size));
    }
    return images;
}

}  // namespace kestrin::art
