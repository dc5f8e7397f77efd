#include "RecordingIndexBuffer.h"
#include "RecordingRenderer.h"
#include "RecordingVertexBuffer.h"
#include "TempFolder.h"
#include "TestImages.h"

#include "Core/Memory/MemTracker.h"
#include "Core/Rendering/texture/Image.h"
#include "Core/Terrain/base/GrassPlacement.h"
#include "Core/Terrain/base/GrassRandom.h"
#include "Core/Terrain/base/Terrain.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

// A w x h image of one colour with `channels` bytes per pixel.
Vorm::Image Uniform(std::uint32_t w, std::uint32_t h, std::vector<std::uint8_t> colour)
{
    const size_t n = size_t(w) * h * colour.size();
    std::uint8_t* data = VORM_NEW std::uint8_t[n];
    for (size_t k = 0; k < n; ++k)
        data[k] = colour[k % colour.size()];
    return Vorm::Image(w, h, std::uint32_t(colour.size()), data);
}

// Clumps by kind, told apart by the top right corner's size and texture.
struct Kinds
{
    size_t q0 = 0, q0Large = 0, q1 = 0, q2 = 0, wide = 0;
    size_t Total() const { return q0 + q0Large + q1 + q2 + wide; }
};

Kinds Classify(const std::vector<Vorm::GrassVertexData>& vertices)
{
    Kinds k;
    for (size_t c = 0; c + 3 < vertices.size(); c += 4) {
        const Vector4<float>& tr = vertices[c + 3].sc2_tx2;
        if (tr.z == 0.5f && tr.w == 0.5f)
            (tr.x == 3.75f ? k.q0 : k.q0Large) += 1;
        else if (tr.z == 0.5f && tr.w == 1.0f)
            ++k.q1;
        else if (tr.x == 15.0f)
            ++k.wide;
        else
            ++k.q2;
    }
    return k;
}

class GrassPlacementTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Vorm::TerrainDesc desc;
        desc.SetCells(12, 12, 12, 12);
        desc.SetSize(600.0f, 600.0f);
        terrain.Create(desc);
    }
    Kinds Place(const Vorm::Image& image)
    {
        Vorm::GrassPatch patch;
        Vorm::GrassRandom random;
        Vorm::GrassPlacement::Place(terrain, image, patch, random);
        return Classify(patch.GetVertices());
    }

    RecordingRenderer renderer;
    Vorm::Terrain terrain;
};

TEST_F(GrassPlacementTest, ClumpCountsOfUniformImages)
{
    for (std::uint32_t size : {300u, 7u}) {
        const Kinds red = Place(Uniform(size, size, {200, 50, 50}));
        EXPECT_EQ(112500u, red.Total()) << size;
        EXPECT_EQ(90000u, red.q0);
        EXPECT_EQ(300u * 15 * 5, red.q1);

        const Kinds green = Place(Uniform(size, size, {50, 200, 50}));
        EXPECT_EQ(90000u, green.Total()) << size;
        EXPECT_EQ(300u * 60, green.wide);

        const Kinds other = Place(Uniform(size, size, {200, 200, 200}));
        EXPECT_EQ(33000u, other.Total()) << size;
        EXPECT_EQ(300u * 80, other.q0Large);
        EXPECT_EQ(300u * (20 + 10), other.q2);
    }
    // A channel of exactly 100 is neither above nor below: such a pixel is "other".
    EXPECT_EQ(33000u, Place(Uniform(5, 5, {100, 100, 50})).Total());
}

TEST_F(GrassPlacementTest, ImagesWithAZeroChannelPlaceNothing)
{
    EXPECT_EQ(0u, Place(Uniform(4, 4, {255, 0, 0})).Total());
    EXPECT_EQ(0u, Place(Uniform(4, 4, {200})).Total());
    EXPECT_EQ(0u, Place(Uniform(4, 4, {200, 200})).Total());
    EXPECT_EQ(0u, Place(Vorm::Image(0, 0, 3, nullptr)).Total());
    // One pixel wide or high: every sample reads it, and nothing divides by zero.
    EXPECT_EQ(90000u, Place(Uniform(1, 1, {50, 200, 50})).Total());
}

TEST_F(GrassPlacementTest, GeneratorIsTheClassicUnseededOne)
{
    Vorm::GrassRandom random;
    const int first[5] = {41, 18467, 6334, 26500, 19169};
    for (int expected : first)
        EXPECT_EQ(expected, random.Next());
    int highest = 0;
    for (int k = 0; k < 200000; ++k)
        highest = std::max(highest, random.Next());
    EXPECT_EQ(Vorm::GrassRandom::kMax, highest);
}

TEST_F(GrassPlacementTest, ClumpsSitOnTheSurfaceNearTheirSampleAndRepeat)
{
    // A ramp along x on a hilly terrain, so anchors off the surface would show.
    Vorm::Terrain hills;
    {
        TempFolder folder;
        renderer.GetTexturePath() = folder.Dir();
        std::vector<std::uint8_t> bgr;
        for (int y = 0; y < 33; ++y)
            for (int x = 0; x < 33; ++x)
                bgr.insert(bgr.end(), {50, 50, std::uint8_t(7 * x + (y % 3) * 20)});
        ASSERT_TRUE(TestImages::WriteTrueColor(folder.Path("h.tga"), 33, 33, 3, bgr));
        Vorm::TerrainDesc desc;
        desc.SetSize(600.0f, 600.0f);
        desc.SetHeightMap("h.tga", 60.0f);
        hills.Create(desc);
    }
    // Red: single clumps within 0.01 of their sample, groups within 0.02.
    const Vorm::Image image = Uniform(300, 300, {200, 50, 50});
    Vorm::GrassPatch first, second;
    Vorm::GrassRandom randomA, randomB;
    Vorm::GrassPlacement::Place(hills, image, first, randomA);
    Vorm::GrassPlacement::Place(hills, image, second, randomB);
    const std::vector<Vorm::GrassVertexData>& a = first.GetVertices();
    const std::vector<Vorm::GrassVertexData>& b = second.GetVertices();
    ASSERT_EQ(a.size(), b.size());
    size_t clump = 0;
    for (std::uint32_t i = 0; i < 300; ++i) {
        for (std::uint32_t j = 0; j < 300; ++j) {
            for (int n = 0; n < ((j + 1) % 20 == 0 ? 6 : 1); ++n, ++clump) {
                const Vector3<float>& p = a[4 * clump].pos;
                const float reach = (n == 0 ? 0.01f : 0.02f) * 600.0f + 1e-3f;
                EXPECT_LE(std::fabs(p.x - (-300.0f + 600.0f * i / 299.0f)), reach);
                EXPECT_LE(std::fabs(p.z - (-300.0f + 600.0f * j / 299.0f)), reach);
                EXPECT_NEAR(hills.GetHeightAt(p.x / 600.0f + 0.5f, p.z / 600.0f + 0.5f), p.y, 1e-3f);
                EXPECT_EQ(p.x, b[4 * clump].pos.x);
                EXPECT_EQ(p.z, b[4 * clump].pos.z);
                if (HasFailure())
                    return;
            }
        }
    }
}

TEST_F(GrassPlacementTest, TerrainUploadsTheGrassOfItsCoverageMap)
{
    TempFolder folder;
    renderer.GetTexturePath() = folder.Dir();
    // Left half green, right half black (no grass).
    std::vector<std::uint8_t> bgr;
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x)
            bgr.insert(bgr.end(), x < 5 ? std::initializer_list<std::uint8_t>{50, 200, 50}
                                        : std::initializer_list<std::uint8_t>{0, 0, 0});
    ASSERT_TRUE(TestImages::WriteTrueColor(folder.Path("c.tga"), 10, 10, 3, bgr));
    Vorm::TerrainDesc desc;
    desc.SetSize(600.0f, 600.0f);
    desc.SetCoverageMap("c.tga");
    Vorm::Terrain withGrass;
    withGrass.Create(desc);
    const auto& vb = *dynamic_cast<RecordingVertexBuffer*>(withGrass.GetGrassPatch().GetVertexBuffer());
    const std::vector<Vorm::GrassVertexData> vertices = Records<Vorm::GrassVertexData>(vb.bytes);
    // The sample columns that fall on pixels 0..4 carry one clump per row.
    size_t greenColumns = 0;
    for (int i = 0; i < 300; ++i)
        greenColumns += int(9.0f / 299.0f * float(i)) < 5;
    EXPECT_EQ(greenColumns * 300, Classify(vertices).Total());
    for (const Vorm::GrassVertexData& v : vertices)
        ASSERT_LT(v.pos.x, 0.0f);
    EXPECT_EQ(6u * greenColumns * 300, withGrass.GetGrassPatch().GetIndexBuffer()->GetCount());
}

} // namespace
