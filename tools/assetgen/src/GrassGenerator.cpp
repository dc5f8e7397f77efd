#include "GrassGenerator.h"

#include <algorithm>
#include <cmath>

#include "Noise.h"
#include "Painter.h"
#include "Rng.h"

namespace assetgen {

namespace {

const int kQuad = 256;
const double kMargin = 5.0; // keeps blades off the quadrant borders so mipmaps do not bleed
const Vec3 kBackground(0.11, 0.20, 0.07); // dark green under alpha 0: filtering halos stay green

struct Quadrant {
    double left, top; // pixel origin of the quadrant in the picture
    double bottom() const { return top + kQuad - 1.0; }
    double centre() const { return left + kQuad / 2.0; }
};

struct BladeStyle {
    Vec3 base, mid, tip;
    double width;
};

// A blade grows from (x, y) with a starting lean and a bend; the tip is kept inside the quadrant.
std::vector<StrokePoint> bladePath(const Quadrant& q, double x, double y, double length,
                                   double lean, double bend, const BladeStyle& st,
                                   double reserve = 0.0)
{
    const int steps = 18;
    std::vector<StrokePoint> pts;
    double angle = lean, px = x, py = y;
    double seg = length / steps;
    for (int i = 0; i <= steps; ++i) {
        double t = static_cast<double>(i) / steps;
        double radius = st.width * std::pow(1.0 - t, 0.85) + 0.35;
        Vec3 c = t < 0.5 ? Vec3::mix(st.base, st.mid, t * 2) : Vec3::mix(st.mid, st.tip, (t - 0.5) * 2);
        pts.push_back({px, py, radius, c});
        double nx = px + std::sin(angle) * seg, ny = py - std::cos(angle) * seg;
        // Stop short of the quadrant border rather than cross it.
        if (nx < q.left + kMargin + reserve || nx > q.left + kQuad - kMargin - reserve ||
            ny < q.top + kMargin + reserve)
            break;
        px = nx;
        py = ny;
        angle += bend / steps;
    }
    return pts;
}

BladeStyle greenStyle(Rng& rng, double depth)
{
    // Back blades (depth 0) darker and bluer, front ones brighter and yellower.
    double v = rng.range(-0.06, 0.06);
    BladeStyle st;
    st.base = Vec3(0.09 + v * 0.3, 0.19 + v * 0.5, 0.05) * (0.8 + 0.2 * depth);
    st.mid = Vec3(0.22 + v, 0.42 + v, 0.11 + 0.3 * v) * (0.8 + 0.25 * depth);
    st.tip = Vec3(0.48 + v, 0.66 + v, 0.26) * (0.85 + 0.2 * depth);
    st.width = rng.range(2.2, 4.2);
    return st;
}

void drawClump(Image& img, const Quadrant& q, Rng& rng, int blades, double spread, double minLen,
               double maxLen, double maxLean)
{
    Painter painter(img, false);
    painter.setClip(static_cast<int>(q.left), static_cast<int>(q.top), static_cast<int>(q.left) + kQuad,
                    static_cast<int>(q.top) + kQuad);
    for (int i = 0; i < blades; ++i) {
        double depth = static_cast<double>(i) / blades;
        // Bases gather towards the middle (sum of two uniforms: a triangular spread).
        double off = (rng.uniform() + rng.uniform() - 1.0) * spread;
        double x = q.centre() + off;
        double y = q.bottom() - rng.range(0.0, 3.0);
        double lean = off / spread * maxLean + rng.range(-0.15, 0.15);
        double bend = (lean >= 0 ? 1 : -1) * rng.range(0.1, 0.7);
        BladeStyle st = greenStyle(rng, depth);
        double len = rng.range(minLen, maxLen) * (1.0 - 0.3 * std::fabs(off) / spread);
        painter.stroke(bladePath(q, x, y, len, lean, bend, st), 0.25);
    }
}

void drawReeds(Image& img, const Quadrant& q, Rng& rng)
{
    Painter painter(img, false);
    painter.setClip(static_cast<int>(q.left), static_cast<int>(q.top), static_cast<int>(q.left) + kQuad,
                    static_cast<int>(q.top) + kQuad);
    drawClump(img, q, rng, 16, 60, 120, 200, 0.35);
    for (int i = 0; i < 26; ++i) {
        double depth = static_cast<double>(i) / 26;
        double off = (rng.uniform() + rng.uniform() - 1.0) * 70;
        double lean = off / 70 * 0.18 + rng.range(-0.06, 0.06);
        BladeStyle st = greenStyle(rng, depth);
        st.width = rng.range(2.0, 3.2);
        st.mid = Vec3(0.26, 0.44, 0.16) * (0.8 + 0.3 * depth);
        st.tip = Vec3(0.56, 0.64, 0.34);
        double len = rng.range(200, 245);
        painter.stroke(bladePath(q, q.centre() + off, q.bottom(), len, lean, rng.range(-0.35, 0.35), st), 0.3);
    }
    // Three bulrush heads on straight stems.
    for (int i = 0; i < 3; ++i) {
        double x = q.centre() + (i - 1) * 34 + rng.range(-8, 8);
        double len = rng.range(195, 232);
        double lean = (i - 1) * 0.07;
        BladeStyle stem{Vec3(0.18, 0.30, 0.10), Vec3(0.30, 0.42, 0.16), Vec3(0.40, 0.46, 0.22), 1.3};
        auto pts = bladePath(q, x, q.bottom(), len, lean, 0.02, stem);
        painter.stroke(pts, 0.2);
        const StrokePoint& top = pts[pts.size() * 78 / 100];
        painter.ellipse(top.x, top.y, 4.2, 17, lean, Vec3(0.45, 0.29, 0.15), Vec3(0.28, 0.17, 0.09));
    }
}

void drawFlowers(Image& img, const Quadrant& q, Rng& rng)
{
    Painter painter(img, false);
    painter.setClip(static_cast<int>(q.left), static_cast<int>(q.top), static_cast<int>(q.left) + kQuad,
                    static_cast<int>(q.top) + kQuad);
    // Wide and low: used stretched to 30 x 6 units, so blades spread over the whole width.
    drawClump(img, q, rng, 34, 118, 70, 160, 0.45);
    const Vec3 yellow(0.98, 0.85, 0.18), white(0.97, 0.96, 0.92), purple(0.62, 0.36, 0.80);
    for (int i = 0; i < 11; ++i) {
        double x = q.left + 22 + (kQuad - 44) * (i + rng.range(0.1, 0.9)) / 11.0;
        double len = rng.range(90, 200);
        double lean = rng.range(-0.2, 0.2);
        BladeStyle stem{Vec3(0.14, 0.26, 0.08), Vec3(0.25, 0.42, 0.14), Vec3(0.30, 0.48, 0.18), 1.4};
        auto pts = bladePath(q, x, q.bottom(), len, lean, rng.range(-0.3, 0.3), stem, 13.0);
        painter.stroke(pts, 0.1);
        const StrokePoint& head = pts.back();
        int kind = i % 3;
        if (kind == 0) {
            // Buttercup: a cupped yellow disc.
            painter.disc(head.x, head.y, 7.5, yellow * 0.85);
            painter.disc(head.x, head.y - 1, 5.5, yellow);
            painter.disc(head.x, head.y, 1.8, Vec3(0.75, 0.55, 0.1));
        } else if (kind == 1) {
            // Daisy: white petals around a yellow eye.
            for (int p = 0; p < 10; ++p) {
                double a = p * 6.283185307 / 10 + rng.range(-0.1, 0.1);
                painter.ellipse(head.x + std::cos(a) * 6, head.y + std::sin(a) * 6, 5.5, 2.2, a,
                                white, white * 0.85);
            }
            painter.disc(head.x, head.y, 3.2, Vec3(0.95, 0.75, 0.15));
        } else {
            // Clover / knapweed: a cluster of small purple florets.
            for (int p = 0; p < 9; ++p) {
                double a = rng.range(0, 6.283), r = rng.range(0, 5);
                painter.disc(head.x + std::cos(a) * r, head.y + std::sin(a) * r - 2, 3.0,
                             purple * rng.range(0.75, 1.05));
            }
        }
    }
}

void drawSeedGrass(Image& img, const Quadrant& q, Rng& rng)
{
    Painter painter(img, false);
    painter.setClip(static_cast<int>(q.left), static_cast<int>(q.top), static_cast<int>(q.left) + kQuad,
                    static_cast<int>(q.top) + kQuad);
    drawClump(img, q, rng, 22, 70, 90, 170, 0.4);
    const Vec3 straw(0.80, 0.70, 0.42);
    for (int i = 0; i < 9; ++i) {
        double off = (rng.uniform() + rng.uniform() - 1.0) * 80;
        double lean = off / 80 * 0.35 + rng.range(-0.1, 0.1);
        BladeStyle stem{Vec3(0.25, 0.32, 0.12), Vec3(0.55, 0.55, 0.28), straw, 1.2};
        auto pts = bladePath(q, q.centre() + off, q.bottom(), rng.range(170, 235), lean,
                             (lean >= 0 ? 1 : -1) * rng.range(0.2, 0.6), stem, 8.0);
        painter.stroke(pts, 0.1);
        // Oat-like seeds hanging along the top third of the stem.
        for (size_t k = pts.size() * 2 / 3; k < pts.size(); ++k) {
            const StrokePoint& p = pts[k];
            for (int side = -1; side <= 1; side += 2) {
                painter.ellipse(p.x + side * 4.5, p.y + 3, 4.2, 1.8, side * 1.1, straw,
                                straw * 0.7);
            }
        }
    }
}

} // namespace

Image GrassGenerator::clumps()
{
    Image img(kAtlasSize, kAtlasSize, 4);
    for (int y = 0; y < kAtlasSize; ++y)
        for (int x = 0; x < kAtlasSize; ++x) {
            img.setColor(x, y, kBackground);
            img.setAlpha(x, y, 0.0);
        }
    Rng rng(0x6A55C1u);
    drawReeds(img, Quadrant{0, 0}, rng);
    drawSeedGrass(img, Quadrant{kQuad, 0}, rng);
    drawClump(img, Quadrant{0, kQuad}, rng, 46, 70, 110, 215, 0.55);
    drawFlowers(img, Quadrant{kQuad, kQuad}, rng);
    return img;
}

Image GrassGenerator::clumpNoise()
{
    const int n = 256;
    Image img(n, n, 3);
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            double v = Noise::fbm2(x / 32.0, y / 32.0, 8, 5, 0x401CEu, 0.55);
            double g = clamp01(0.5 + 0.55 * v);
            img.setColor(x, y, Vec3(g, g, g));
        }
    return img;
}

} // namespace assetgen
