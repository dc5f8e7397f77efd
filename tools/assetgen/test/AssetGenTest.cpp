// Checks of the asset generator: reproducible bytes, seamless sky and ripples, terrain maps
// that agree with each other, and a clump atlas that loads upright.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "AssetCatalog.h"
#include "CoverageDesign.h"
#include "GrassGenerator.h"
#include "SkyGenerator.h"
#include "TerrainField.h"
#include "TerrainGenerator.h"
#include "TgaWriter.h"
#include "WaterRippleGenerator.h"

namespace fs = std::filesystem;
using namespace assetgen;

namespace {

std::vector<char> readAll(const fs::path& p)
{
    std::ifstream f(p, std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

fs::path makeTempDir(const char* name)
{
    fs::path dir = fs::temp_directory_path() / (std::string(name) + "_" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

int channelDiff(const Image& a, int ax, int ay, const Image& b, int bx, int by)
{
    int worst = 0;
    for (int c = 0; c < 3; ++c)
        worst = std::max(worst, std::abs(a.pixel(ax, ay)[c] - b.pixel(bx, by)[c]));
    return worst;
}

} // namespace

TEST(AssetGen, SameBytesOnEveryRun)
{
    const std::vector<std::string> cheap = {"texture/WaterRipples.png", "texture/tCoverage.png",
                                            "texture/grassClumps/clumpNoise.tga",
                                            "texture/grassClumps/clumps.tga", "texture/rock.png"};
    fs::path a = makeTempDir("vorm_assetgen_a"), b = makeTempDir("vorm_assetgen_b");
    AssetCatalog catalog;
    for (const auto& name : cheap) {
        ASSERT_TRUE(catalog.writeOne(a.string(), name)) << name;
        ASSERT_TRUE(catalog.writeOne(b.string(), name)) << name;
        std::vector<char> x = readAll(a / name), y = readAll(b / name);
        EXPECT_FALSE(x.empty()) << name;
        EXPECT_TRUE(x == y) << name;
    }
    fs::remove_all(a);
    fs::remove_all(b);
}

TEST(AssetGen, SkyFacesMeetAtTheirEdges)
{
    const int n = 512;
    const int tol = 10; // neighbouring pixels across the edge, one step apart
    Image px = SkyGenerator::face("px", n), pz = SkyGenerator::face("pz", n);
    Image py = SkyGenerator::face("py", n), nz = SkyGenerator::face("nz", n);
    for (int r = 0; r < n; ++r)
        ASSERT_LE(channelDiff(px, 0, r, pz, n - 1, r), tol) << "row " << r;
    // The top of the sky against the face towards the sun, where the clouds are.
    for (int c = 0; c < n; ++c)
        ASSERT_LE(channelDiff(py, c, 0, nz, n - 1 - c, 0), tol) << "column " << c;
}

TEST(AssetGen, WaterRipplesTile)
{
    Image img = WaterRippleGenerator::ripples(256);
    const int n = img.width();
    double wrapX = 0, wrapY = 0, inner = 0;
    for (int i = 0; i < n; ++i) {
        wrapX += channelDiff(img, n - 1, i, img, 0, i);
        wrapY += channelDiff(img, i, n - 1, img, i, 0);
        inner += channelDiff(img, n / 2, i, img, n / 2 + 1, i);
    }
    // Across the wrap the pattern changes no faster than between any two neighbours.
    EXPECT_LE(wrapX, inner * 1.5 + n);
    EXPECT_LE(wrapY, inner * 1.5 + n);
}

TEST(AssetGen, HeightMapHasWaterAndHills)
{
    Image h = TerrainGenerator::heightMap();
    long below = 0, total = 0;
    int highest = 0;
    // Only the pixels the engine reads (every 7th, up to 1008).
    for (int y = 0; y <= 1008; y += 7)
        for (int x = 0; x <= 1008; x += 7) {
            int r = h.pixel(x, y)[0];
            below += r < 128;
            highest = std::max(highest, r);
            ++total;
        }
    double fraction = static_cast<double>(below) / total;
    EXPECT_GT(fraction, 0.12);
    EXPECT_LT(fraction, 0.30);
    EXPECT_GE(highest, 200);
}

TEST(AssetGen, NoDenseGrassNearWater)
{
    Image cov = CoverageDesign::coverage();
    Image h = TerrainGenerator::heightMap();
    const int n = cov.width();
    long dense = 0;
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            const uint8_t* p = cov.pixel(x, y);
            bool any = p[0] > 0 && p[1] > 0 && p[2] > 0;
            bool red = p[0] > 100 && p[1] < 100 && p[2] < 100;
            bool green = p[1] > 100 && p[2] < 100;
            if (!any || !(red || green)) continue;
            ++dense;
            // The clump lands up to 0.01 of the map (6 units, 10 height pixels) from the sample.
            int hx = static_cast<int>(x * 1008.0 / (n - 1) + 0.5);
            int hy = static_cast<int>(y * 1008.0 / (n - 1) + 0.5);
            for (int dy = -10; dy <= 10; dy += 2)
                for (int dx = -10; dx <= 10; dx += 2) {
                    int sx = std::clamp(hx + dx, 0, 1023), sy = std::clamp(hy + dy, 0, 1023);
                    ASSERT_GE(h.pixel(sx, sy)[0], 128) << "dense grass in water near " << x << "," << y;
                }
        }
    EXPECT_GT(dense, 0);
}

TEST(AssetGen, CoverageCountMatchesPlacementRules)
{
    // Uniform images with known clump counts from the placement rules.
    struct Case { uint8_t r, g, b; long clumps; };
    for (const Case& c : {Case{200, 50, 50, 112500}, Case{50, 200, 50, 90000},
                          Case{200, 200, 200, 33000}, Case{255, 0, 0, 0}}) {
        Image img(64, 64, 3);
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 64; ++x) {
                uint8_t* p = img.pixel(x, y);
                p[0] = c.r; p[1] = c.g; p[2] = c.b;
            }
        EXPECT_EQ(CoverageDesign::analyse(img).clumps, c.clumps);
    }
}

TEST(AssetGen, ClumpAtlasLoadsUprightWithTransparentBackground)
{
    // Decode the TGA the way a loader does, honouring the origin bit, into top-down rows.
    std::vector<uint8_t> tga = TgaWriter::encode(GrassGenerator::clumps());
    ASSERT_EQ(tga[2], 2);
    ASSERT_EQ(tga[16], 32);
    const int w = tga[12] | (tga[13] << 8), h = tga[14] | (tga[15] << 8);
    const bool topDown = (tga[17] & 0x20) != 0;
    auto alphaAt = [&](int x, int y) { // y = 0 at the top of the picture
        int stored = topDown ? y : h - 1 - y;
        return tga[18 + (static_cast<size_t>(stored) * w + x) * 4 + 3];
    };
    const int q = w / 2;
    for (int qy = 0; qy < 2; ++qy)
        for (int qx = 0; qx < 2; ++qx) {
            int transparent = 0, opaque = 0, baseOpaque = 0, topOpaque = 0;
            for (int y = 0; y < q; ++y)
                for (int x = 0; x < q; ++x) {
                    int a = alphaAt(qx * q + x, qy * q + y);
                    transparent += a == 0;
                    opaque += a == 255;
                    if (y >= q - 8) baseOpaque += a == 255;
                    if (y < 3) topOpaque += a > 0;
                }
            EXPECT_GT(transparent, q * q / 4) << qx << "," << qy;
            EXPECT_GT(opaque, q * q / 20) << qx << "," << qy;
            // Blades stand on the quadrant's bottom edge and stop short of its top.
            EXPECT_GT(baseOpaque, 50) << qx << "," << qy;
            EXPECT_EQ(topOpaque, 0) << qx << "," << qy;
        }
}
