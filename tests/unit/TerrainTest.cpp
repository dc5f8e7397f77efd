#include "AssertRecorder.h"
#include "CoutCapture.h"
#include "RecordingIndexBuffer.h"
#include "RecordingRenderer.h"
#include "RecordingVertexBuffer.h"
#include "TempFolder.h"
#include "TestImages.h"

#include "Core/Rendering/IMaterialEffect.h"
#include "Core/Scenegraph/BoundingVolume.h"
#include "Core/Terrain/base/NormalGeometry.h"
#include "Core/Terrain/base/Terrain.h"
#include "Core/Terrain/base/TerrainCell.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

class TerrainTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.Ok());
        renderer.GetTexturePath() = folder.Dir();
        RecordingRenderer::s_destroyedBuffers = 0;
    }

    // A grey-free RGB image whose red channel is red(x, y).
    template <typename F>
    void WriteRed(const std::string& name, int w, int h, F red)
    {
        std::vector<std::uint8_t> bgr;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                bgr.insert(bgr.end(), {50, 50, std::uint8_t(red(x, y))});
        ASSERT_TRUE(TestImages::WriteTrueColor(folder.Path(name), w, h, 3, bgr));
    }

    static Vorm::TerrainDesc Desc(std::uint32_t cells, std::uint32_t quads, float size)
    {
        Vorm::TerrainDesc desc;
        desc.SetCells(cells, cells, quads, quads);
        desc.SetSize(size, size);
        return desc;
    }
    static void ExpectVec(const Vector3<float>& e, const Vector3<float>& a, float tol = 1e-4f)
    {
        EXPECT_NEAR(e.x, a.x, tol);
        EXPECT_NEAR(e.y, a.y, tol);
        EXPECT_NEAR(e.z, a.z, tol);
    }
    static Vorm::TerrainCell& Cell(const Vorm::Terrain& terrain, int index)
    {
        return *dynamic_cast<Vorm::TerrainCell*>(terrain.GetChild(index).get());
    }

    RecordingRenderer renderer;
    TempFolder folder;
};

TEST_F(TerrainTest, DefaultAndDemoGridsAndCells)
{
    struct Case
    {
        Vorm::TerrainDesc desc;
        std::uint32_t verts;
        float cellSize;
        size_t stripLength;
    };
    const Case cases[] = {{Vorm::TerrainDesc(), 17, 10.0f, 151}, {Desc(12, 12, 600.0f), 145, 50.0f, 323}};
    for (const Case& c : cases) {
        Vorm::Terrain terrain;
        terrain.Create(c.desc);
        const float half = c.desc.width / 2.0f;
        ASSERT_EQ(c.verts * c.verts, terrain.GetVertices().size());
        ExpectVec(Vector3<float>(-half, 0.0f, -half), terrain.GetVertices().front().pos);
        ExpectVec(Vector3<float>(half, 0.0f, half), terrain.GetVertices().back().pos);
        EXPECT_NEAR(c.desc.width / (c.verts - 1), terrain.GetVertices()[terrain.GetVertexIndex(1, 0)].pos.x + half, 1e-4f);

        auto& vb = *dynamic_cast<RecordingVertexBuffer*>(terrain.GetVertexBuffer());
        EXPECT_EQ(c.verts * c.verts, vb.GetCount());
        EXPECT_EQ(44u, vb.GetVertexFormat().m_size);
        EXPECT_EQ(44u * c.verts * c.verts, vb.bytes.size());

        const int cells = int(c.desc.cellsX * c.desc.cellsZ);
        ASSERT_EQ(cells, terrain.GetChildCount());
        for (int k = 0; k < cells; ++k) {
            const int cx = k / int(c.desc.cellsZ), cz = k % int(c.desc.cellsZ);
            Vorm::TerrainCell& cell = Cell(terrain, k);
            ExpectVec(Vector3<float>(-half + (cx + 0.5f) * c.cellSize, 0.0f, -half + (cz + 0.5f) * c.cellSize),
                      cell.GetLocalBound()->GetCenter());
            EXPECT_NEAR(c.cellSize * std::sqrt(2.0f), cell.GetLocalBound()->GetRadius(), 1e-3f);
            EXPECT_EQ(terrain.GetVertexBuffer(), cell.GetVertexBuffer());
            EXPECT_EQ(Vorm::ePrimitive_TriangleStrip, cell.GetPrimitiveType());
            EXPECT_EQ(c.stripLength, cell.GetIndexBuffer()->GetCount());
            EXPECT_EQ(Vorm::eDataFormat_UINT1, cell.GetIndexBuffer()->GetFormat().m_format);
        }
    }
}

TEST_F(TerrainTest, TexCoordsAndLookupsOnAFlatGrid)
{
    Vorm::Terrain terrain;
    terrain.Create(Vorm::TerrainDesc());
    const std::vector<Vorm::TerrainVertex>& v = terrain.GetVertices();
    EXPECT_FLOAT_EQ(0.0f, v.front().tex0.x);
    EXPECT_FLOAT_EQ(1.0f, v.front().tex0.y);
    EXPECT_FLOAT_EQ(1.0f, v.back().tex0.x);
    EXPECT_FLOAT_EQ(0.0f, v.back().tex0.y);
    for (const Vorm::TerrainVertex& vertex : v)
        ExpectVec(Vector3<float>(0.0f, 1.0f, 0.0f), vertex.normal);

    const Vorm::TerrainVertex mid = terrain.GetVertexAt(0.5f, 0.5f);
    EXPECT_FLOAT_EQ(0.0f, mid.pos.y);
    ExpectVec(Vector3<float>(0.0f, 1.0f, 0.0f), mid.normal);
    ExpectVec(v.back().pos, terrain.GetVertexAt(1.0f, 1.0f).pos);
    // Beyond the grid the lookup stays on its border (the grass jitter goes that far).
    ExpectVec(terrain.GetVertexAt(0.0f, 1.0f).pos, terrain.GetVertexAt(-0.02f, 1.02f).pos);
    ExpectVec(terrain.GetVertexAt(1.0f, 0.3f).pos, terrain.GetVertexAt(1.02f, 0.3f).pos);
    ExpectVec(v.front().pos, terrain.GetVertexAt(NAN, -5.0f).pos);
}

TEST_F(TerrainTest, HeightsFromRedAndTheSurfaceFollowsTheDrawnTriangles)
{
    // 5 x 5 vertices over 5 x 5 pixels: vertex (i, j) reads pixel (i, j); red
    // 128 is ground level, (0, 3) is red 0, (1, 1) and (2, 4) red 255.
    WriteRed("h.tga", 5, 5, [](int x, int y) {
        return (x == 0 && y == 3) ? 0 : ((x == 1 && y == 1) || (x == 2 && y == 4)) ? 255 : 128;
    });
    Vorm::TerrainDesc desc = Desc(1, 4, 8.0f);
    desc.SetHeightMap("h.tga", 10.0f);
    Vorm::Terrain terrain;
    terrain.Create(desc);
    const float top = 127.0f / 128.0f * 10.0f;
    EXPECT_FLOAT_EQ(-10.0f, terrain.GetVertices()[terrain.GetVertexIndex(0, 3)].pos.y);
    EXPECT_FLOAT_EQ(0.0f, terrain.GetVertices()[terrain.GetVertexIndex(1, 3)].pos.y);
    EXPECT_FLOAT_EQ(top, terrain.GetVertices()[terrain.GetVertexIndex(2, 4)].pos.y);

    // Every grid vertex is found where it is.
    for (std::uint32_t i = 0; i < 5; ++i)
        for (std::uint32_t j = 0; j < 5; ++j)
            ExpectVec(terrain.GetVertices()[terrain.GetVertexIndex(i, j)].pos, terrain.GetVertexAt(i / 4.0f, j / 4.0f).pos);

    // Quad (0, 0), an even row, is split from (1, 0) to (0, 1): only its far
    // triangle holds the raised (1, 1).
    EXPECT_NEAR(0.0f, terrain.GetHeightAt(0.4f / 4, 0.4f / 4), 1e-4f);
    EXPECT_NEAR(0.2f * top, terrain.GetHeightAt(0.6f / 4, 0.6f / 4), 1e-4f);
    // Quad (0, 1), an odd row, is split from (0, 1) to (1, 2): (1, 1) is in the
    // triangle on the x side of that diagonal.
    EXPECT_NEAR(0.4f * top, terrain.GetHeightAt(0.6f / 4, 1.2f / 4), 1e-4f);
    EXPECT_NEAR(0.0f, terrain.GetHeightAt(0.2f / 4, 1.6f / 4), 1e-4f);

    // Normals lean away from the rise out of the hollow at (0, 3) and are unit length.
    const Vector3<float> n = terrain.GetVertices()[terrain.GetVertexIndex(1, 3)].normal;
    EXPECT_LT(n.x, -0.1f);
    EXPECT_NEAR(1.0f, n.Length(), 1e-5f);
    EXPECT_NEAR(1.0f, terrain.GetVertexAt(0.3f, 0.6f).normal.Length(), 1e-5f);
}

// A map with fewer pixels than the grid has vertices would give a whole
// step of 0 (a flat terrain): it is stretched over the grid, corners to
// corners, and named. One at least as large keeps the whole step.
TEST_F(TerrainTest, HeightMapsSmallerThanTheGridAreStretchedOverIt)
{
    // 5 x 5 vertices; red = 100 + 10 x + y, so a height tells its pixel.
    const auto red = [](int x, int y) { return 100 + 10 * x + y; };
    const auto height = [](int r) { return (r - 128.0f) / 128.0f * 8.0f; };
    const struct
    {
        int w, h;
        // Pixel of vertex 0, 2 and 4 along x and along z.
        int x[3], z[3];
        const char* note;
    } cases[] = {
        {3, 3, {0, 1, 2}, {0, 1, 2}, "; it is stretched over them"},   // both ways
        {2, 9, {0, 0, 1}, {0, 4, 8}, "; it is stretched over them"},   // along x only
        {5, 5, {0, 2, 4}, {0, 2, 4}, ""},                               // a pixel per vertex
        {13, 5, {0, 6, 12}, {0, 2, 4}, ""},                             // whole step 3
        {14, 5, {0, 6, 12}, {0, 2, 4}, ""},                             // 1 of 14 unread
        {12, 5, {0, 4, 8}, {0, 2, 4}, " read only its first 9 x 5"},   // whole step 2: 3 of 12 unread
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.w) + " x " + std::to_string(c.h));
        WriteRed("h.tga", c.w, c.h, red);
        Vorm::TerrainDesc desc = Desc(1, 4, 8.0f);
        desc.SetHeightMap("h.tga", 8.0f);
        Vorm::Terrain terrain;
        CoutCapture out;
        terrain.Create(desc);
        for (int a = 0; a < 3; ++a)
            for (int b = 0; b < 3; ++b)
                EXPECT_FLOAT_EQ(height(red(c.x[a], c.z[b])),
                                terrain.GetVertices()[terrain.GetVertexIndex(2 * a, 2 * b)].pos.y)
                    << a << ", " << b;
        const std::string text = out.Text();
        if (*c.note) {
            EXPECT_EQ(0u, text.find("Height map " + folder.Path("h.tga") + " is " + std::to_string(c.w) + " x " +
                                    std::to_string(c.h) + " pixels")) << text;
            EXPECT_NE(std::string::npos, text.find(c.note)) << text;
        } else {
            EXPECT_EQ("", text);
        }
    }
}

TEST_F(TerrainTest, NormalLinesOnlyWithHeightsAndDebugNormals)
{
    WriteRed("h.tga", 9, 9, [](int x, int) { return 100 + 10 * x; });
    Vorm::TerrainDesc desc = Vorm::TerrainDesc().SetDebugNormals(true);
    {
        AssertRecorder rec;
        Vorm::Terrain flat;
        flat.Create(desc);
        EXPECT_EQ(nullptr, flat.GetNormalGeometry());
        flat.SetDrawNormals(true);
        EXPECT_TRUE(rec.Saw("m_pNormalGeometry && \"Terrain created without Debug Normals!\""));
        EXPECT_TRUE(flat.GetDrawNormals());
    }
    desc.SetHeightMap("h.tga", 4.0f);
    Vorm::Terrain terrain;
    terrain.Create(desc);
    ASSERT_TRUE(terrain.GetNormalGeometry());
    const auto& lines = *dynamic_cast<RecordingVertexBuffer*>(terrain.GetNormalGeometry()->GetVertexBuffer());
    const std::vector<Vector3<float> > points = Records<Vector3<float> >(lines.bytes);
    ASSERT_EQ(2 * terrain.GetVertices().size(), points.size());
    const Vorm::TerrainVertex& v = terrain.GetVertices()[20];
    ExpectVec(v.pos, points[40]);
    ExpectVec(v.pos + v.normal * 0.1f, points[41]);
    EXPECT_EQ(Vorm::ePrimitive_Lines, terrain.GetNormalGeometry()->GetPrimitiveType());
    EXPECT_FALSE(terrain.GetNormalGeometry()->GetIndexBuffer()->IsValid());
}

TEST_F(TerrainTest, MissingImagesLeaveAFlatGridWithoutGrassAndSaySo)
{
    AssertRecorder rec;
    Vorm::TerrainDesc desc;
    desc.SetHeightMap("missing.png", 30.0f);
    desc.SetCoverageMap("gone.png");
    Vorm::Terrain terrain;
    CoutCapture out;
    terrain.Create(desc);
    EXPECT_TRUE(rec.Failures().empty());
    const std::string folder = renderer.GetTexturePath();
    EXPECT_EQ("Height map not loaded: " + folder + "missing.png: cannot open; the terrain stays flat\n"
              "Coverage map not loaded: " + folder + "gone.png: cannot open; no grass is placed\n",
              out.Text());
    for (const Vorm::TerrainVertex& v : terrain.GetVertices()) {
        EXPECT_EQ(0.0f, v.pos.y);
        ExpectVec(Vector3<float>(0.0f, 1.0f, 0.0f), v.normal);
    }
    ASSERT_TRUE(terrain.GetGrassPatch().GetIndexBuffer());
    EXPECT_EQ(0u, terrain.GetGrassPatch().GetIndexBuffer()->GetCount());
}

TEST_F(TerrainTest, MapsLargerThanATerrainTakesAreRefusedBeforeDecoding)
{
    // A grey map whose bytes wrap 32 bits, and one merely too large.
    ASSERT_TRUE(TestImages::WritePngHeader(folder.Path("h.png"), 65536, 65536, 0, 8, 2));
    ASSERT_TRUE(TestImages::WritePngHeader(folder.Path("c.png"), 8192, 8192, 2, 8, 2));
    Vorm::TerrainDesc desc;
    desc.SetHeightMap("h.png", 30.0f);
    desc.SetCoverageMap("c.png");
    Vorm::Terrain terrain;
    CoutCapture out;
    terrain.Create(desc);
    const std::string folder = renderer.GetTexturePath();
    EXPECT_EQ("Height map not loaded: " + folder + "h.png: is 65536 x 65536 pixels, larger than a terrain map may "
              "be (64 MiB); the terrain stays flat\n"
              "Coverage map not loaded: " + folder + "c.png: is 8192 x 8192 pixels, larger than a terrain map may "
              "be (64 MiB); no grass is placed\n",
              out.Text());
    for (const Vorm::TerrainVertex& v : terrain.GetVertices())
        EXPECT_EQ(0.0f, v.pos.y);
}

TEST_F(TerrainTest, DescriptionWithoutCellsOrQuadsIsRefused)
{
    const std::uint32_t cells[][4] = {{0, 2, 8, 8}, {2, 0, 8, 8}, {2, 2, 0, 8}, {2, 2, 8, 0}};
    for (const auto& c : cells) {
        Vorm::TerrainDesc desc;
        desc.SetCells(c[0], c[1], c[2], c[3]);
        CoutCapture out;
        Vorm::Terrain terrain;
        terrain.Create(desc);
        EXPECT_TRUE(out.Contains("Terrain not created")) << c[0] << c[1] << c[2] << c[3];
        EXPECT_EQ(0, terrain.GetChildCount());
        EXPECT_TRUE(terrain.GetVertices().empty());
        EXPECT_EQ(nullptr, terrain.GetVertexBuffer());
        EXPECT_EQ(nullptr, terrain.GetGrassPatch().GetIndexBuffer());
    }
}

TEST_F(TerrainTest, MaterialAndBuffersGoWithTheTerrain)
{
    WriteRed("h.tga", 17, 17, [](int x, int y) { return 100 + x + y; });
    Vorm::TerrainDesc desc = Vorm::TerrainDesc().SetDebugNormals(true);
    desc.SetHeightMap("h.tga", 2.0f);
    {
        Vorm::Terrain terrain;
        terrain.Create(desc);
        const boost::shared_ptr<Vorm::IMaterialEffect> material = terrain.GetMaterialEffect();
        ASSERT_TRUE(material);
        EXPECT_FLOAT_EQ(3.0f, material->GetDiffuseColor().z);
        EXPECT_FLOAT_EQ(0.2f, material->GetAmbientColor().z);
        EXPECT_TRUE(material->IsShadowReceiver());
        EXPECT_EQ(std::vector<int>{0}, material->GetLightIndices());
        EXPECT_EQ(0, RecordingRenderer::s_destroyedBuffers);
    }
    // Four cell index buffers, the shared vertex buffer, two of the normal
    // lines and two of the grass.
    EXPECT_EQ(4 + 1 + 2 + 2, RecordingRenderer::s_destroyedBuffers);
}

} // namespace
