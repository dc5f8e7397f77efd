#include "WaterRippleGenerator.h"

#include <cmath>
#include <vector>

#include "Noise.h"

namespace assetgen {

namespace {
const uint32_t kRippleSeed = 0xA11CEu;
const double kTwoPi = 6.283185307179586;
}

double WaterRippleGenerator::height(double u, double v)
{
    // Domain-warped periodic noise gives the rounded, crossing wavelets of a lake surface.
    double wx = Noise::fbm2(u * 4, v * 4, 4, 3, kRippleSeed + 1u);
    double wy = Noise::fbm2(u * 4 + 5.2, v * 4 + 1.3, 4, 3, kRippleSeed + 2u);
    double h = Noise::fbm2(u * 6 + wx * 0.6, v * 6 + wy * 0.6, 6, 4, kRippleSeed, 0.55);
    // A few long wave trains with integer wave numbers keep the tiling exact.
    h += 0.25 * std::sin(kTwoPi * (3 * u + 2 * v) + 2.0 * wx);
    h += 0.18 * std::sin(kTwoPi * (-2 * u + 5 * v) + 2.0 * wy);
    return h;
}

Image WaterRippleGenerator::ripples(int size)
{
    std::vector<double> h(static_cast<size_t>(size) * size);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            h[static_cast<size_t>(y) * size + x] = height(static_cast<double>(x) / size,
                                                          static_cast<double>(y) / size);
    Image img(size, size, 3);
    const double strength = 1.1 * size / 256.0;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            // Central differences with wrap-around keep the normals seamless too.
            auto at = [&](int xx, int yy) {
                xx = (xx + size) % size;
                yy = (yy + size) % size;
                return h[static_cast<size_t>(yy) * size + xx];
            };
            double dx = (at(x + 1, y) - at(x - 1, y)) * strength;
            double dy = (at(x, y + 1) - at(x, y - 1)) * strength;
            Vec3 n = Vec3(-dx, -dy, 1.0).normalized();
            img.setColor(x, y, Vec3(n.x * 0.5 + 0.5, n.y * 0.5 + 0.5, n.z * 0.5 + 0.5));
        }
    }
    return img;
}

} // namespace assetgen
