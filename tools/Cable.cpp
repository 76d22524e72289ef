#include "Cable.h"

#include <algorithm>
#include <cmath>

namespace kestrin::art {

namespace {

constexpr Paint kPlastic = FromBytes(214, 216, 220);
constexpr Paint kContacts = FromBytes(212, 170, 64);
constexpr Paint kOutline = FromBytes(96, 98, 104);
constexpr int kLeadSegments = 48;
constexpr double kContactShare = 0.3;  // of the plug's length, at its front
constexpr double kStripePeriod = 2.0;  // pixels; any finer and stripes turn to mush

struct Box {
    Vec2 start;  // middle of one short side
    Vec2 direction;
    double length;
    double width;
};

// Positive inside the box: how far the point is from the nearest side.
double DepthInBox(const Box& box, Vec2 point) {
    const Vec2 offset = point - box.start;
    const double along = Dot(offset, box.direction);
    const double across = Dot(offset, Perpendicular(box.direction));
    return std::min({along, box.length - along, box.width / 2 - std::abs(across)});
}

Vec2 Bezier(const std::array<Vec2, 4>& p, double t) {
    const double u = 1 - t;
    return p[0] * (u * u * u) + p[1] * (3 * u * u * t) + p[2] * (3 * u * t * t) +
           p[3] * (t * t * t);
}

double DistanceToLead(const std::array<Vec2, 4>& lead, Vec2 point) {
    double nearest = Length(point - lead[0]);
    Vec2 previous = lead[0];
    for (int i = 1; i <= kLeadSegments; ++i) {
        const Vec2 next = Bezier(lead, static_cast<double>(i) / kLeadSegments);
        nearest = std::min(nearest, DistanceToSegment(point, previous, next));
        previous = next;
    }
    return nearest;
}

// Gold contact fingers across the front end; a plug too small for two stripes shows none.
bool InContactStripe(const CableLayout& cable, Vec2 point) {
    if (cable.plugWidth < 3 * kStripePeriod) return false;
    const Vec2 offset = point - cable.plugFront;
    if (Dot(offset, cable.direction) > cable.plugLength * kContactShare) return false;
    const double across = Dot(offset, Perpendicular(cable.direction)) + cable.plugWidth / 2;
    return std::fmod(across, kStripePeriod) >= kStripePeriod / 2;
}

std::optional<Paint> ShadePlug(const CableLayout& cable, Vec2 point) {
    const Box plug{cable.plugFront, cable.direction, cable.plugLength, cable.plugWidth};
    const double depth = DepthInBox(plug, point);
    if (depth < 0) return std::nullopt;
    if (depth < cable.outlineWidth) return kOutline;
    return InContactStripe(cable, point) ? kContacts : kPlastic;
}

std::optional<Paint> ShadeBoot(const CableLayout& cable, Vec2 point) {
    const Vec2 start = cable.plugFront + cable.direction * cable.plugLength;
    const double depth =
        DepthInBox({start, cable.direction, cable.bootLength, cable.bootWidth}, point);
    if (depth < 0) return std::nullopt;
    return depth < cable.outlineWidth ? kOutline : kPlastic;
}

// A round lead: brightest along its middle, outlined at its sides.
std::optional<Paint> ShadeLead(const CableLayout& cable, Vec2 point) {
    const double halfWidth = cable.leadWidth / 2;
    const double distance = DistanceToLead(cable.lead, point);
    if (distance > halfWidth) return std::nullopt;
    if (distance > halfWidth - cable.outlineWidth) return kOutline;
    const double offCentre = distance / halfWidth;
    return Scaled(kPlastic, 1.0 - 0.2 * offCentre * offCentre);
}

}  // namespace

std::optional<Paint> ShadeCable(const CableLayout& cable, Vec2 point) {
    if (auto plug = ShadePlug(cable, point)) return plug;
    if (auto boot = ShadeBoot(cable, point)) return boot;
    return ShadeLead(cable, point);
}

}  // namespace kestrin::art
