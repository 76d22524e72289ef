#pragma once
// The little vector arithmetic the icon drawing needs, in pixel units with y pointing down.

#include <cmath>

namespace kestrin::art {

struct Vec2 {
    double x = 0;
    double y = 0;
};

inline Vec2 operator+(Vec2 a, Vec2 b) { return {a.x + b.x, a.y + b.y}; }
inline Vec2 operator-(Vec2 a, Vec2 b) { return {a.x - b.x, a.y - b.y}; }
inline Vec2 operator*(Vec2 a, double k) { return {a.x * k, a.y * k}; }
inline double Dot(Vec2 a, Vec2 b) { return a.x * b.x + a.y * b.y; }
inline double Length(Vec2 a) { return std::sqrt(Dot(a, a)); }
inline Vec2 Normalised(Vec2 a) { return a * (1.0 / Length(a)); }
inline Vec2 Perpendicular(Vec2 a) { return {-a.y, a.x}; }

struct Vec3 {
    double x = 0;
    double y = 0;
    double z = 0;
};

inline double Dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline Vec3 Normalised(Vec3 a) {
    const double length = std::sqrt(Dot(a, a));
    return {a.x / length, a.y / length, a.z / length};
}

double DistanceToSegment(Vec2 p, Vec2 a, Vec2 b);

}  // namespace kestrin::art
