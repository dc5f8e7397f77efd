#include "Noise.h"

#include <cmath>

namespace assetgen {

namespace {

int wrap(int v, int period)
{
    if (period <= 0) return v;
    int m = v % period;
    return m < 0 ? m + period : m;
}

double fade(double t) { return t * t * t * (t * (t * 6 - 15) + 10); }

// Sixteen evenly spread unit gradients: no axis bias in the pattern.
double grad2(uint32_t h, double dx, double dy)
{
    static const double kAngle = 6.283185307179586 / 16.0;
    double a = static_cast<double>(h & 15u) * kAngle + 0.3;
    return std::cos(a) * dx + std::sin(a) * dy;
}

double grad3(uint32_t h, double dx, double dy, double dz)
{
    // The twelve edge directions of a cube (Perlin's improved noise set).
    switch (h % 12u) {
    case 0: return dx + dy;
    case 1: return -dx + dy;
    case 2: return dx - dy;
    case 3: return -dx - dy;
    case 4: return dx + dz;
    case 5: return -dx + dz;
    case 6: return dx - dz;
    case 7: return -dx - dz;
    case 8: return dy + dz;
    case 9: return -dy + dz;
    case 10: return dy - dz;
    default: return -dy - dz;
    }
}

} // namespace

uint32_t Noise::hash(int x, int y, int z, uint32_t seed)
{
    uint32_t h = seed * 0x9E3779B1u;
    h ^= static_cast<uint32_t>(x) * 0x85EBCA6Bu;
    h = (h << 13) | (h >> 19);
    h ^= static_cast<uint32_t>(y) * 0xC2B2AE35u;
    h = (h << 11) | (h >> 21);
    h ^= static_cast<uint32_t>(z) * 0x27D4EB2Fu;
    h ^= h >> 16;
    h *= 0x7FEB352Du;
    h ^= h >> 15;
    h *= 0x846CA68Bu;
    h ^= h >> 16;
    return h;
}

double Noise::gradient2(double x, double y, int periodX, int periodY, uint32_t seed)
{
    double fx = std::floor(x), fy = std::floor(y);
    int ix = static_cast<int>(fx), iy = static_cast<int>(fy);
    double dx = x - fx, dy = y - fy;
    int x0 = wrap(ix, periodX), x1 = wrap(ix + 1, periodX);
    int y0 = wrap(iy, periodY), y1 = wrap(iy + 1, periodY);
    double n00 = grad2(hash(x0, y0, 0, seed), dx, dy);
    double n10 = grad2(hash(x1, y0, 0, seed), dx - 1, dy);
    double n01 = grad2(hash(x0, y1, 0, seed), dx, dy - 1);
    double n11 = grad2(hash(x1, y1, 0, seed), dx - 1, dy - 1);
    double u = fade(dx), v = fade(dy);
    double a = n00 + (n10 - n00) * u;
    double b = n01 + (n11 - n01) * u;
    return (a + (b - a) * v) * 1.41421356;
}

double Noise::fbm2(double x, double y, int period, int octaves, uint32_t seed, double gain)
{
    return fbm2xy(x, y, period, period, octaves, seed, gain);
}

double Noise::fbm2xy(double x, double y, int periodX, int periodY, int octaves, uint32_t seed,
                     double gain)
{
    double sum = 0, amp = 1, norm = 0;
    for (int o = 0; o < octaves; ++o) {
        sum += amp * gradient2(x, y, periodX, periodY, seed + static_cast<uint32_t>(o) * 131u);
        norm += amp;
        amp *= gain;
        x *= 2; y *= 2;
        periodX *= 2; periodY *= 2;
    }
    return sum / norm;
}

double Noise::gradient3(double x, double y, double z, uint32_t seed)
{
    double fx = std::floor(x), fy = std::floor(y), fz = std::floor(z);
    int ix = static_cast<int>(fx), iy = static_cast<int>(fy), iz = static_cast<int>(fz);
    double dx = x - fx, dy = y - fy, dz = z - fz;
    double u = fade(dx), v = fade(dy), w = fade(dz);
    double c[2][2][2];
    for (int a = 0; a < 2; ++a)
        for (int b = 0; b < 2; ++b)
            for (int d = 0; d < 2; ++d)
                c[a][b][d] = grad3(hash(ix + a, iy + b, iz + d, seed), dx - a, dy - b, dz - d);
    double x00 = c[0][0][0] + (c[1][0][0] - c[0][0][0]) * u;
    double x10 = c[0][1][0] + (c[1][1][0] - c[0][1][0]) * u;
    double x01 = c[0][0][1] + (c[1][0][1] - c[0][0][1]) * u;
    double x11 = c[0][1][1] + (c[1][1][1] - c[0][1][1]) * u;
    double y0 = x00 + (x10 - x00) * v;
    double y1 = x01 + (x11 - x01) * v;
    return y0 + (y1 - y0) * w;
}

double Noise::fbm3(double x, double y, double z, int octaves, uint32_t seed, double gain)
{
    double sum = 0, amp = 1, norm = 0;
    for (int o = 0; o < octaves; ++o) {
        sum += amp * gradient3(x, y, z, seed + static_cast<uint32_t>(o) * 131u);
        norm += amp;
        amp *= gain;
        // A slight rotation per octave hides the lattice directions.
        double nx = 1.6 * x + 1.2 * z, nz = -1.2 * x + 1.6 * z;
        x = nx; z = nz; y *= 2.0;
    }
    return sum / norm;
}

CellDistances Noise::cellular2(double x, double y, int periodX, int periodY, uint32_t seed)
{
    double fx = std::floor(x), fy = std::floor(y);
    int ix = static_cast<int>(fx), iy = static_cast<int>(fy);
    CellDistances r{1e9, 1e9, 0};
    for (int j = -1; j <= 1; ++j) {
        for (int i = -1; i <= 1; ++i) {
            int cx = ix + i, cy = iy + j;
            uint32_t h = hash(wrap(cx, periodX), wrap(cy, periodY), 7, seed);
            double px = cx + (h & 0xFFFF) / 65536.0;
            double py = cy + (h >> 16) / 65536.0;
            double d = std::sqrt((px - x) * (px - x) + (py - y) * (py - y));
            if (d < r.f1) { r.f2 = r.f1; r.f1 = d; r.id = h; }
            else if (d < r.f2) { r.f2 = d; }
        }
    }
    return r;
}

} // namespace assetgen
