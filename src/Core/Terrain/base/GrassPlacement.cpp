// Grass from the coverage image: red areas get clumps with tall groups, green
// areas dense clumps with wide low ones, other areas sparse mixed clumps.
#include "Core/Terrain/base/GrassPlacement.h"

#include "Core/Rendering/texture/Image.h"
#include "Core/Terrain/base/GrassPatch.h"
#include "Core/Terrain/base/GrassRandom.h"
#include "Core/Terrain/base/Terrain.h"

namespace Vorm {

namespace {

// Uniform over [-w/2, +w/2].
float Jitter(GrassRandom& random, float w)
{
    return static_cast<float>(random.Next()) / GrassRandom::kMax * w - w / 2.0f;
}

float Unit(GrassRandom& random)
{
    return static_cast<float>(random.Next()) / GrassRandom::kMax;
}

} // namespace

void GrassPlacement::Place(const Terrain& terrain, const Image& coverage, GrassPatch& patch, GrassRandom& random)
{
    if (coverage.IsEmpty())
        return;
    const std::uint32_t w = coverage.GetWidth();
    const std::uint32_t h = coverage.GetHeight();
    const float stepX = static_cast<float>(w - 1) / static_cast<float>(kSamplesX - 1);
    const float stepY = static_cast<float>(h - 1) / static_cast<float>(kSamplesY - 1);
    // A one-pixel-wide (or high) image spans the terrain from its first edge.
    const float spanX = w > 1 ? static_cast<float>(w - 1) : 1.0f;
    const float spanY = h > 1 ? static_cast<float>(h - 1) : 1.0f;

    for (std::uint32_t i = 0; i < kSamplesX; ++i) {
        int red = 0;
        int green = 0;
        int other = 0;
        const std::uint32_t x = static_cast<std::uint32_t>(stepX * static_cast<float>(i));
        for (std::uint32_t j = 0; j < kSamplesY; ++j) {
            const std::uint32_t y = static_cast<std::uint32_t>(stepY * static_cast<float>(j));
            const Vector4<float> c = coverage.GetPixel(x, y);
            if (c.x <= 0.0f || c.y <= 0.0f || c.z <= 0.0f)
                continue;
            const float us = static_cast<float>(x) / spanX;
            const float vs = static_cast<float>(y) / spanY;

            if (c.x > 100.0f && c.y < 100.0f && c.z < 100.0f) {
                float u = us + Jitter(random, 0.02f);
                float v = vs + Jitter(random, 0.02f);
                patch.AddClumpQ0(terrain.GetVertexAt(u, v).pos, 1.0f);
                if (++red % 20 == 0) {
                    // A tight group of taller clumps, a random walk from the last one.
                    for (int n = 0; n < 5; ++n) {
                        u += Jitter(random, 0.004f);
                        v += Jitter(random, 0.004f);
                        patch.AddClumpQ1(terrain.GetVertexAt(u, v).pos);
                    }
                }
            } else if (c.y > 100.0f && c.z < 100.0f) {
                const float u = us + Jitter(random, 0.02f);
                const float v = vs + Jitter(random, 0.02f);
                const Vector3<float> p = terrain.GetVertexAt(u, v).pos;
                if (++green % 5 == 0)
                    patch.AddWideClumpQ2(p);
                else
                    patch.AddClumpQ0(p, 1.0f);
            } else {
                if (++other % 3 != 0)
                    continue;
                const float u = us + Jitter(random, 0.002f);
                const float v = vs + Jitter(random, 0.002f);
                const Vector3<float> p = terrain.GetVertexAt(u, v).pos;
                if (other % 5 == 1) {
                    patch.AddClumpQ2(p, 0.2f + Unit(random));
                } else {
                    if (other % 10 == 0)
                        patch.AddClumpQ2(p, 0.3f + Unit(random));
                    patch.AddClumpQ0(p, 1.5f);
                }
            }
        }
    }
}

} // namespace Vorm
