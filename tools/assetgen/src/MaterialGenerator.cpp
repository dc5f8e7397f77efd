#include "MaterialGenerator.h"

#include <cmath>

#include "Noise.h"
#include "Painter.h"
#include "Rng.h"

namespace assetgen {

namespace {

const int N = MaterialGenerator::kSize;

// Periodic fractal noise over the texture: cells = features across the tile.
double tileFbm(int x, int y, int cells, int octaves, uint32_t seed, double gain = 0.5)
{
    return Noise::fbm2(x * static_cast<double>(cells) / N, y * static_cast<double>(cells) / N,
                       cells, octaves, seed, gain);
}

template <typename F>
Image paint(F f)
{
    Image img(N, N, 3);
    for (int y = 0; y < N; ++y)
        for (int x = 0; x < N; ++x) img.setColor(x, y, f(x, y));
    return img;
}

} // namespace

Image MaterialGenerator::rock()
{
    return paint([](int x, int y) {
        double n = tileFbm(x, y, 4, 6, 0x40C1u, 0.55);
        double fine = tileFbm(x, y, 32, 3, 0x40C2u);
        // Strata: faint diagonal bands of lighter and darker rock.
        double strata = std::sin((x * 2.0 / N + y * 3.0 / N + 0.5 * n) * 6.283185307);
        // Cracks: thin dark lines along warped cell borders, only where a mask allows, so
        // they break off instead of forming a paving pattern.
        double wx = x + 18 * tileFbm(x, y, 4, 3, 0x40C3u);
        double wy = y + 18 * tileFbm(x, y, 4, 3, 0x40C4u);
        CellDistances c = Noise::cellular2(wx * 4.0 / N, wy * 4.0 / N, 4, 4, 0x40C5u);
        double mask = smoothstep(-0.2, 0.15, tileFbm(x, y, 6, 3, 0x40C6u));
        double crack = (1.0 - smoothstep(0.0, 0.045, c.f2 - c.f1)) * mask;
        double tone = (c.id & 255) / 255.0;
        Vec3 base = Vec3::mix(Vec3(0.40, 0.37, 0.33), Vec3(0.58, 0.54, 0.49), 0.5 + 0.7 * n);
        base = base * (0.9 + 0.08 * tone + 0.12 * fine + 0.05 * strata);
        // Light edge along one side of each crack: the chipped rim catches the light.
        double rim = (1.0 - smoothstep(0.035, 0.08, c.f2 - c.f1)) * mask * 0.12;
        return base * (1.0 + rim - 0.6 * crack);
    });
}

Image MaterialGenerator::bark()
{
    return paint([](int x, int y) {
        // Long vertical ridges: noise stretched along y, furrows where the ridge pattern dips.
        double stretch = Noise::fbm2xy(x * 12.0 / N, y * 2.0 / N, 12, 2, 4, 0xBA4Cu);
        double wobble = Noise::fbm2xy(x * 4.0 / N, y * 3.0 / N, 4, 3, 3, 0xBA4Fu);
        double ridges = std::sin((x * 9.0 / N + 0.9 * stretch + 0.4 * wobble) * 6.283185307);
        // Furrow depth varies along the trunk; short horizontal breaks cross the ridges.
        double depthVar = 0.5 + 0.5 * Noise::fbm2xy(x * 9.0 / N, y * 6.0 / N, 9, 6, 2, 0xBA50u);
        double furrow = smoothstep(0.2 + 0.4 * depthVar, 1.0, ridges);
        double breaks = smoothstep(0.55, 0.75, Noise::fbm2xy(x * 8.0 / N, y * 16.0 / N, 8, 16, 2, 0xBA51u));
        furrow = std::max(furrow, breaks * 0.6);
        double fine = tileFbm(x, y, 32, 2, 0xBA4Du);
        double knots = tileFbm(x, y, 3, 3, 0xBA4Eu);
        Vec3 ridge(0.40, 0.32, 0.24), deep(0.15, 0.11, 0.08);
        Vec3 c = Vec3::mix(ridge, deep, furrow);
        c = c * (0.9 + 0.12 * fine + 0.12 * knots);
        // A faint greyish-green cast of moss on the ridges.
        return Vec3::mix(c, Vec3(0.33, 0.36, 0.24), 0.25 * smoothstep(0.2, 0.6, knots) * (1 - furrow));
    });
}

Image MaterialGenerator::leaves()
{
    Image img = paint([](int x, int y) {
        double n = tileFbm(x, y, 4, 3, 0x1EAFu);
        return Vec3(0.06, 0.13, 0.04) * (0.8 + 0.3 * n);
    });
    Painter painter(img, true);
    Rng rng(0x1EA7u);
    // Hundreds of small leaves in varied greens, wrapping around the edges so the tile repeats.
    for (int i = 0; i < 900; ++i) {
        double x = rng.range(0, N), y = rng.range(0, N);
        double a = rng.range(0, 6.283);
        double shade = rng.range(0.55, 1.15);
        Vec3 c = Vec3::mix(Vec3(0.16, 0.34, 0.09), Vec3(0.34, 0.50, 0.14), rng.uniform()) * shade;
        painter.ellipse(x, y, rng.range(6, 10), rng.range(2.5, 4.0), a, c * 1.1, c * 0.7);
    }
    return img;
}

Image MaterialGenerator::wood()
{
    return paint([](int x, int y) {
        // Four planks across the tile (rows), ends staggered, grain running along x.
        const int planks = 4;
        int row = y * planks / N;
        double inRow = (y * planks % N) / static_cast<double>(N);
        double seam = smoothstep(0.04, 0.0, inRow) + smoothstep(0.96, 1.0, inRow);
        int endX = static_cast<int>(Noise::hash(row, 0, 0, 0xB0Du) % N);
        double dEnd = std::fabs(((x - endX + N + N / 2) % N) - N / 2.0);
        double plankEnd = smoothstep(1.5, 0.0, dEnd);
        double grain = Noise::fbm2xy(x * 2.0 / N, y * 24.0 / N, 2, 24, 4, 0xB0Eu + row);
        double rings = std::sin((y * 24.0 / N + 2.0 * grain) * 6.283185307) * 0.5 + 0.5;
        double tint = (Noise::hash(row, 1, 0, 0xB0Fu) & 255) / 255.0;
        Vec3 c = Vec3::mix(Vec3(0.46, 0.33, 0.20), Vec3(0.36, 0.25, 0.15), rings * 0.6 + 0.2 * tint);
        c = c * (0.92 + 0.1 * tileFbm(x, y, 16, 2, 0xB10u));
        return c * (1.0 - 0.7 * std::max(seam, plankEnd));
    });
}

Image MaterialGenerator::stone()
{
    return paint([](int x, int y) {
        double n = tileFbm(x, y, 4, 6, 0x5707u, 0.55);
        double fine = tileFbm(x, y, 32, 2, 0x5708u);
        Vec3 c = Vec3::mix(Vec3(0.62, 0.61, 0.57), Vec3(0.76, 0.75, 0.71), 0.5 + 0.6 * n);
        c = c * (0.94 + 0.06 * fine);
        // Lichen: pale yellow-green and rusty orange patches.
        double lichen = tileFbm(x, y, 6, 4, 0x5709u);
        double rust = tileFbm(x, y, 8, 3, 0x570Au);
        c = Vec3::mix(c, Vec3(0.66, 0.68, 0.42), smoothstep(0.15, 0.3, lichen) * 0.8);
        c = Vec3::mix(c, Vec3(0.72, 0.50, 0.24), smoothstep(0.32, 0.45, rust) * 0.7);
        return c;
    });
}

Image MaterialGenerator::ground()
{
    Image img = paint([](int x, int y) {
        double mask = tileFbm(x, y, 4, 4, 0x6A0Du);
        double fine = tileFbm(x, y, 64, 2, 0x6A0Eu);
        Vec3 dirt = Vec3(0.40, 0.31, 0.21) * (0.9 + 0.15 * fine);
        Vec3 grass = Vec3(0.27, 0.45, 0.15) * (0.85 + 0.25 * fine);
        return Vec3::mix(grass, dirt, smoothstep(0.05, 0.3, mask));
    });
    Painter painter(img, true);
    Rng rng(0x6A0Fu);
    // Short grass strokes on the green parts give it texture from up close.
    for (int i = 0; i < 1400; ++i) {
        double x = rng.range(0, N), y = rng.range(0, N);
        double mask = tileFbm(static_cast<int>(x), static_cast<int>(y), 4, 4, 0x6A0Du);
        if (mask > 0.15) continue;
        double a = rng.range(-0.6, 0.6), len = rng.range(4, 9);
        Vec3 c = Vec3(0.30, 0.50, 0.16) * rng.range(0.7, 1.25);
        painter.stroke({{x, y, 0.9, c * 0.8}, {x + std::sin(a) * len, y - std::cos(a) * len, 0.3, c}});
    }
    return img;
}

Image MaterialGenerator::roof()
{
    Image img = paint([](int x, int y) {
        double n = tileFbm(x, y, 8, 3, 0x7007u);
        return Vec3(0.36, 0.29, 0.17) * (0.8 + 0.2 * n);
    });
    Painter painter(img, true);
    Rng rng(0x7008u);
    // Thatch: overlapping layers of straw bundles hanging down the roof.
    const int layers = 8;
    for (int l = 0; l < layers; ++l) {
        double top = l * static_cast<double>(N) / layers;
        for (int i = 0; i < 260; ++i) {
            double x = rng.range(0, N), y = top + rng.range(-6, 10);
            double len = rng.range(26, 40), a = rng.range(-0.12, 0.12);
            double shade = rng.range(0.65, 1.1);
            Vec3 c = Vec3::mix(Vec3(0.62, 0.50, 0.28), Vec3(0.75, 0.63, 0.38), rng.uniform()) * shade;
            painter.stroke({{x, y, 1.0, c * 0.75}, {x + std::sin(a) * len, y + std::cos(a) * len, 0.8, c}});
        }
    }
    return img;
}

Image MaterialGenerator::waterFloor()
{
    return paint([](int x, int y) {
        double n = tileFbm(x, y, 4, 5, 0x3A7Eu);
        double ripple = std::sin((y * 6.0 / N + 0.3 * tileFbm(x, y, 3, 2, 0x3A7Fu)) * 6.283185307);
        double fine = tileFbm(x, y, 48, 2, 0x3A80u);
        Vec3 mud(0.30, 0.27, 0.19), sand(0.52, 0.46, 0.33);
        Vec3 c = Vec3::mix(mud, sand, smoothstep(-0.2, 0.35, n + 0.08 * ripple));
        return c * (0.9 + 0.1 * fine);
    });
}

} // namespace assetgen
