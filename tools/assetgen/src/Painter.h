// Painter: anti-aliased tapered strokes and discs composited onto an Image.
// Used for grass blades, flowers, leaves, straw; can wrap around edges for tiling textures.
#pragma once
#include <vector>

#include "Image.h"

namespace assetgen {

struct StrokePoint {
    double x, y;   // pixel coordinates, y down
    double radius; // half width at this point
    Vec3 color;
};

class Painter {
public:
    Painter(Image& target, bool wrap) : img_(target), wrap_(wrap) {}
    // Restricts painting to the pixels x0 <= x < x1, y0 <= y < y1 (atlas quadrants).
    void setClip(int x0, int y0, int x1, int y1) { clip_[0] = x0; clip_[1] = y0; clip_[2] = x1; clip_[3] = y1; }

    // A polyline stroke with per-point radius and colour (round joins). The side shade
    // darkens one edge of the stroke so blades and leaves look folded (0 = flat).
    void stroke(const std::vector<StrokePoint>& pts, double sideShade = 0.0);
    // A filled disc with a soft edge.
    void disc(double cx, double cy, double radius, const Vec3& color, double opacity = 1.0);
    // A filled ellipse rotated by angle (radians), shaded from centre to rim.
    void ellipse(double cx, double cy, double rx, double ry, double angle, const Vec3& centre,
                 const Vec3& rim, double opacity = 1.0);

private:
    // "Over" compositing of one pixel; alpha is written only on RGBA images.
    void blend(int x, int y, const Vec3& c, double a);

    Image& img_;
    bool wrap_;
    int clip_[4] = {-(1 << 30), -(1 << 30), 1 << 30, 1 << 30};
};

} // namespace assetgen
