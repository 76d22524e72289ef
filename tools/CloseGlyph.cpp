#include "CloseGlyph.h"

#include <cstdlib>

namespace kestrin::art {

namespace {

constexpr int kSize = 16;
constexpr int kFirstInked = 2;  // the cross fills pixels 2..13, leaving a 2-pixel margin
constexpr int kLastInked = kSize - 1 - kFirstInked;

constexpr Rgba kUpperEdge = Grey(95);
constexpr Rgba kLowerEdge = Grey(106);
constexpr Rgba kUpperSoftener = Grey(223);
constexpr Rgba kLowerSoftener = Grey(234);
constexpr Rgba kTip = Grey(148);

// Pixel (x, y) lies x - y across the "\" stroke and x + y along it; the ends are cut square
// to the stroke one pixel short of the corners, which the tips then round off.
bool InBackslashStroke(int x, int y) {
    const int across = x - y;
    const int along = x + y;
    return std::abs(across) <= 2 && along >= 2 * kFirstInked + 1 && along <= 2 * kLastInked - 1;
}

bool InSlashStroke(int x, int y) { return InBackslashStroke(kSize - 1 - x, y); }

bool InCross(int x, int y) { return InBackslashStroke(x, y) || InSlashStroke(x, y); }

bool InInkedSquare(int x, int y) {
    return x >= kFirstInked && x <= kLastInked && y >= kFirstInked && y <= kLastInked;
}

bool IsTip(int x, int y) {
    return (x == kFirstInked || x == kLastInked) && (y == kFirstInked || y == kLastInked);
}

bool OnEdge(int x, int y) {
    return InCross(x, y) &&
           (!InCross(x - 1, y) || !InCross(x + 1, y) || !InCross(x, y - 1) || !InCross(x, y + 1));
}

// Edges facing up are drawn a shade darker than edges facing down.
Rgba EdgeColour(int x, int y) { return InCross(x, y - 1) ? kLowerEdge : kUpperEdge; }

bool TouchesEdgeOfColour(int x, int y, Rgba colour) {
    const int dx[] = {-1, 1, 0, 0};
    const int dy[] = {0, 0, -1, 1};
    for (int i = 0; i < 4; ++i) {
        const int nx = x + dx[i];
        const int ny = y + dy[i];
        if (OnEdge(nx, ny) && EdgeColour(nx, ny) == colour) return true;
    }
    return false;
}

// Light pixels just outside the staircase of an edge smooth its steps.
Rgba OutsideColour(int x, int y) {
    if (!InInkedSquare(x, y)) return kWhite;
    if (IsTip(x, y)) return kTip;
    if (TouchesEdgeOfColour(x, y, kUpperEdge)) return kUpperSoftener;
    if (TouchesEdgeOfColour(x, y, kLowerEdge)) return kLowerSoftener;
    return kWhite;
}

Rgba PixelColour(int x, int y) {
    if (OnEdge(x, y)) return EdgeColour(x, y);
    if (InCross(x, y)) return kWhite;  // the strokes are hollow
    return OutsideColour(x, y);
}

}  // namespace

Image DrawCloseGlyph() {
    Image image(kSize, kSize, kWhite);
    for (int y = 0; y < kSize; ++y) {
        for (int x = 0; x < kSize; ++x) image.set(x, y, PixelColour(x, y));
    }
    return image;
}

}  // namespace kestrin::art
