#include "Painter.h"

#include <algorithm>
#include <cmath>

namespace assetgen {

void Painter::blend(int x, int y, const Vec3& c, double a)
{
    if (a <= 0) return;
    if (x < clip_[0] || y < clip_[1] || x >= clip_[2] || y >= clip_[3]) return;
    const int w = img_.width(), h = img_.height();
    if (wrap_) {
        x = ((x % w) + w) % w;
        y = ((y % h) + h) % h;
    } else if (x < 0 || y < 0 || x >= w || y >= h) {
        return;
    }
    a = std::min(a, 1.0);
    Vec3 old = img_.color(x, y);
    img_.setColor(x, y, Vec3::mix(old, c, a));
    if (img_.channels() == 4) {
        double oa = img_.pixel(x, y)[3] / 255.0;
        img_.setAlpha(x, y, a + oa * (1.0 - a));
    }
}

void Painter::stroke(const std::vector<StrokePoint>& pts, double sideShade)
{
    if (pts.size() < 2) return;
    double minX = 1e9, minY = 1e9, maxX = -1e9, maxY = -1e9;
    for (const auto& p : pts) {
        minX = std::min(minX, p.x - p.radius - 2);
        maxX = std::max(maxX, p.x + p.radius + 2);
        minY = std::min(minY, p.y - p.radius - 2);
        maxY = std::max(maxY, p.y + p.radius + 2);
    }
    for (int y = static_cast<int>(std::floor(minY)); y <= static_cast<int>(std::ceil(maxY)); ++y) {
        for (int x = static_cast<int>(std::floor(minX)); x <= static_cast<int>(std::ceil(maxX)); ++x) {
            double px = x + 0.5, py = y + 0.5;
            // Find the segment whose swept radius covers this pixel best (signed edge distance).
            double bestEdge = -1e9, bestSide = 0;
            Vec3 bestColor;
            for (size_t i = 0; i + 1 < pts.size(); ++i) {
                const StrokePoint& a = pts[i];
                const StrokePoint& b = pts[i + 1];
                double dx = b.x - a.x, dy = b.y - a.y;
                double len2 = dx * dx + dy * dy;
                double t = len2 > 0 ? ((px - a.x) * dx + (py - a.y) * dy) / len2 : 0.0;
                t = std::max(0.0, std::min(1.0, t));
                double qx = a.x + dx * t, qy = a.y + dy * t;
                double dist = std::sqrt((px - qx) * (px - qx) + (py - qy) * (py - qy));
                double r = a.radius + (b.radius - a.radius) * t;
                double edge = r - dist;
                if (edge > bestEdge) {
                    bestEdge = edge;
                    bestColor = Vec3::mix(a.color, b.color, t);
                    double cross = len2 > 0 ? (dx * (py - a.y) - dy * (px - a.x)) / std::sqrt(len2) : 0;
                    bestSide = r > 0 ? cross / r : 0;
                }
            }
            // Half a pixel of ramp either side of the edge: the anti-aliasing.
            double cov = std::max(0.0, std::min(1.0, bestEdge + 0.5));
            if (cov <= 0) continue;
            Vec3 c = bestColor;
            if (sideShade != 0) c = c * (1.0 - sideShade * 0.5 * (1.0 + std::max(-1.0, std::min(1.0, bestSide))));
            blend(x, y, c, cov);
        }
    }
}

void Painter::disc(double cx, double cy, double radius, const Vec3& color, double opacity)
{
    int x0 = static_cast<int>(std::floor(cx - radius - 1)), x1 = static_cast<int>(std::ceil(cx + radius + 1));
    int y0 = static_cast<int>(std::floor(cy - radius - 1)), y1 = static_cast<int>(std::ceil(cy + radius + 1));
    for (int y = y0; y <= y1; ++y) {
        for (int x = x0; x <= x1; ++x) {
            double d = std::sqrt((x + 0.5 - cx) * (x + 0.5 - cx) + (y + 0.5 - cy) * (y + 0.5 - cy));
            double cov = std::max(0.0, std::min(1.0, radius - d + 0.5));
            blend(x, y, color, cov * opacity);
        }
    }
}

void Painter::ellipse(double cx, double cy, double rx, double ry, double angle, const Vec3& centre,
                      const Vec3& rim, double opacity)
{
    double r = std::max(rx, ry);
    int x0 = static_cast<int>(std::floor(cx - r - 1)), x1 = static_cast<int>(std::ceil(cx + r + 1));
    int y0 = static_cast<int>(std::floor(cy - r - 1)), y1 = static_cast<int>(std::ceil(cy + r + 1));
    double ca = std::cos(angle), sa = std::sin(angle);
    for (int y = y0; y <= y1; ++y) {
        for (int x = x0; x <= x1; ++x) {
            double px = x + 0.5 - cx, py = y + 0.5 - cy;
            double u = (px * ca + py * sa) / rx, v = (-px * sa + py * ca) / ry;
            double d = std::sqrt(u * u + v * v);
            // Edge width of about one pixel in the ellipse's smaller radius.
            double cov = std::max(0.0, std::min(1.0, (1.0 - d) * std::min(rx, ry) + 0.5));
            if (cov <= 0) continue;
            blend(x, y, Vec3::mix(centre, rim, std::min(1.0, d)), cov * opacity);
        }
    }
}

} // namespace assetgen
