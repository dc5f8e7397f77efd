#include "TerrainGenerator.h"

#include <algorithm>
#include <cmath>

#include "Noise.h"
#include "TerrainField.h"

namespace assetgen {

namespace {

const uint32_t kColorSeed = 0xC0102u;

// The terrain material and the demo's ambient light turn a map colour into
// about (0.68, 0.68, 1.43) times it on flat ground, boosting blue twice as
// much as red and green. These gains undo that and brighten the ground a
// little, so flat meadows show about (0.36, 0.53, 0.2) on screen.
const Vec3 kScreenGain(1.75, 1.65, 0.9);

// A colour after the gains; one brighter than the map can hold is scaled
// down whole, so bright sand keeps its hue instead of turning grey.
Vec3 mapColor(const Vec3& c)
{
    const Vec3 g = c * kScreenGain;
    const double top = std::max(g.x, std::max(g.y, g.z));
    return top > 1.0 ? g * (1.0 / top) : g;
}

Vec3 groundColor(double x, double z)
{
    const double h = TerrainField::height(x, z);
    const double s = TerrainField::slope(x, z);

    // Detail noise at a few scales: patches of colour and fine speckle.
    double big = Noise::fbm2(x / 60.0, z / 60.0, 0, 3, kColorSeed);
    double mid = Noise::fbm2(x / 14.0, z / 14.0, 0, 3, kColorSeed + 1u);
    double fine = Noise::fbm2(x / 2.5, z / 2.5, 0, 2, kColorSeed + 2u);

    const Vec3 deepMud(0.26, 0.25, 0.19);
    const Vec3 mud(0.42, 0.37, 0.26);
    const Vec3 sand(0.66, 0.60, 0.44);
    const Vec3 meadowA(0.30, 0.50, 0.16);
    const Vec3 meadowB(0.42, 0.55, 0.20);
    const Vec3 darkGreen(0.20, 0.34, 0.13);
    const Vec3 brown(0.38, 0.32, 0.21);
    const Vec3 rock(0.44, 0.42, 0.39);
    const Vec3 paleRock(0.56, 0.54, 0.50);

    Vec3 c;
    // Lake and river bed: mud getting darker with depth.
    Vec3 bed = Vec3::mix(mud, deepMud, smoothstep(-2.0, -20.0, h));
    // Meadows: two greens mixed by broad patches.
    Vec3 meadow = Vec3::mix(meadowA, meadowB, smoothstep(-0.3, 0.5, big));
    meadow = Vec3::mix(meadow, darkGreen, smoothstep(0.1, 0.6, mid) * 0.35);
    double dryPatch = Noise::fbm2(x / 35.0 + 4.0, z / 35.0 - 2.0, 0, 3, kColorSeed + 3u);
    meadow = Vec3::mix(meadow, Vec3(0.55, 0.56, 0.26), smoothstep(0.25, 0.55, dryPatch) * 0.5);
    // Higher ground: darker greens with brown earth.
    Vec3 upland = Vec3::mix(darkGreen, brown, smoothstep(-0.2, 0.5, big + 0.3 * mid));

    c = Vec3::mix(meadow, upland, smoothstep(18.0, 34.0, h + 6.0 * mid));
    // Sandy, muddy shore a little above and below the water line.
    double shore = 1.0 - smoothstep(0.8, 2.2 + 1.0 * mid, h);
    c = Vec3::mix(c, sand, shore);
    c = Vec3::mix(c, bed, 1.0 - smoothstep(-2.5, 0.5, h));

    // Slopes turn to brown earth, then to rock; peaks are rocky too. Under water the bed
    // stays mud whatever its slope.
    double dry = smoothstep(0.5, 3.0, h);
    double steep = smoothstep(0.35, 0.6, s + 0.1 * mid) * dry;
    c = Vec3::mix(c, brown, steep * 0.6);
    double rocky = std::max(smoothstep(0.75, 1.0, s + 0.15 * mid),
                            smoothstep(40.0, 48.0, h + 4.0 * mid)) * dry;
    Vec3 stone = Vec3::mix(rock, paleRock, smoothstep(-0.3, 0.4, mid));
    c = Vec3::mix(c, stone, rocky);

    // Fine speckle keeps close-ups from looking flat.
    double speck = 1.0 + 0.10 * fine + 0.06 * mid;
    return c * speck;
}

} // namespace

Image TerrainGenerator::heightMap()
{
    const int n = TerrainField::kHeightMapSize;
    Image img(n, n, 3);
    for (int r = 0; r < n; ++r) {
        double z = TerrainField::heightPixelToWorld(r);
        for (int c = 0; c < n; ++c) {
            double x = TerrainField::heightPixelToWorld(c);
            uint8_t v = static_cast<uint8_t>(TerrainField::heightToRed(TerrainField::height(x, z)));
            uint8_t* p = img.pixel(c, r);
            p[0] = p[1] = p[2] = v;
        }
    }
    return img;
}

Image TerrainGenerator::colorMap()
{
    const int n = kColorMapSize;
    const double size = TerrainField::kWorldSize;
    Image img(n, n, 3);
    for (int r = 0; r < n; ++r) {
        double z = -size / 2 + (r + 0.5) * size / n;
        for (int c = 0; c < n; ++c) {
            double x = -size / 2 + (c + 0.5) * size / n;
            img.setColor(c, r, mapColor(groundColor(x, z)));
        }
    }
    return img;
}

} // namespace assetgen
