#include "TerrainField.h"

#include <cmath>

#include "Noise.h"
#include "Vec3.h"

namespace assetgen {

namespace {

const uint32_t kTerrainSeed = 0x7E44A1Du;

// The river meanders across the map from west to east; x is its running coordinate.
double riverCentreZ(double x)
{
    return 35.0 * std::sin(x / 95.0 + 0.4) + 18.0 * std::sin(x / 41.0 + 2.1) - 20.0;
}

} // namespace

double TerrainField::height(double x, double z)
{
    // Rolling meadows: broad low-frequency noise, little detail so the 4-unit grid stays smooth.
    double hills = Noise::fbm2(x / 170.0 + 10.0, z / 170.0 + 10.0, 0, 4, kTerrainSeed, 0.45);
    double h = 9.0 + 16.0 * hills;

    // Higher hills towards the map edges frame the valley.
    double edge = std::max(std::fabs(x), std::fabs(z));
    double rim = smoothstep(120.0, 300.0, edge);
    double ridge = 0.5 + 0.5 * Noise::fbm2(x / 90.0 - 3.0, z / 90.0 + 7.0, 0, 3, kTerrainSeed + 5u);

    // The river valley: a soft trough with a deeper channel, warped by noise. It cuts
    // through the rim hills so the river leaves the map on both sides.
    double warp = 14.0 * Noise::fbm2(x / 60.0, z / 60.0, 0, 2, kTerrainSeed + 9u);
    double d = std::fabs(z - riverCentreZ(x) + warp);
    double valley = std::exp(-(d * d) / (2.0 * 60.0 * 60.0));
    double channel = std::exp(-(d * d) / (2.0 * 24.0 * 24.0));
    h += rim * (10.0 + 34.0 * ridge) * (1.0 - 0.85 * valley);
    h -= 9.0 * valley + 16.0 * channel;

    // A lake basin off the river in the south-east quarter.
    double lx = x - 90.0, lz = z - 100.0;
    double lake = std::exp(-(lx * lx * 0.7 + lz * lz) / (2.0 * 46.0 * 46.0));
    h -= 28.0 * lake;

    // Gentle flattening near the water line makes shores and meadows instead of straight slopes.
    double shore = h - 2.0;
    h = 2.0 + shore * (0.55 + 0.45 * smoothstep(0.0, 12.0, std::fabs(shore)));

    if (h < -45.0) h = -45.0;
    if (h > 52.0) h = 52.0;
    return h;
}

int TerrainField::heightToRed(double h)
{
    int r = static_cast<int>(std::floor(h / kHeightScale * 128.0 + 128.0 + 0.5));
    return r < 0 ? 0 : (r > 255 ? 255 : r);
}

double TerrainField::slope(double x, double z)
{
    const double e = 3.0;
    double dx = (height(x + e, z) - height(x - e, z)) / (2 * e);
    double dz = (height(x, z + e) - height(x, z - e)) / (2 * e);
    return std::sqrt(dx * dx + dz * dz);
}

} // namespace assetgen
