#include "RecordingIndexBuffer.h"
#include "RecordingRenderer.h"
#include "RecordingVertexBuffer.h"

#include "Core/Scenegraph/BoundingVolume.h"
#include "Core/Terrain/base/GrassPatch.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

struct Corner
{
    float x, y, u, v;
};

class GrassPatchTest : public ::testing::Test
{
protected:
    void SetUp() override { RecordingRenderer::s_destroyedBuffers = 0; }

    static RecordingVertexBuffer& Vertices(const Vorm::GrassPatch& patch)
    {
        return *dynamic_cast<RecordingVertexBuffer*>(patch.GetVertexBuffer());
    }
    static RecordingIndexBuffer& Indices(const Vorm::GrassPatch& patch)
    {
        return *dynamic_cast<RecordingIndexBuffer*>(patch.GetIndexBuffer());
    }
    static std::vector<Corner> Corners(const Vorm::GrassPatch& patch)
    {
        std::vector<Corner> out;
        for (const Vorm::GrassVertexData& v : Records<Vorm::GrassVertexData>(Vertices(patch).bytes))
            out.push_back({v.sc2_tx2.x, v.sc2_tx2.y, v.sc2_tx2.z, v.sc2_tx2.w});
        return out;
    }
    static void ExpectCorners(const std::vector<Corner>& expected, const std::vector<Corner>& actual)
    {
        ASSERT_EQ(expected.size(), actual.size());
        for (size_t k = 0; k < expected.size(); ++k) {
            EXPECT_FLOAT_EQ(expected[k].x, actual[k].x) << k;
            EXPECT_FLOAT_EQ(expected[k].y, actual[k].y) << k;
            EXPECT_FLOAT_EQ(expected[k].u, actual[k].u) << k;
            EXPECT_FLOAT_EQ(expected[k].v, actual[k].v) << k;
        }
    }

    RecordingRenderer renderer;
};

TEST_F(GrassPatchTest, ClumpsUploadCornersIndicesAndFormat)
{
    Vorm::GrassPatch patch;
    const Vector3<float> p(1.0f, 2.0f, 3.0f);
    patch.AddClumpQ0(p, 1.0f);
    patch.AddWideClumpQ2(Vector3<float>(4.0f, 5.0f, 6.0f));
    patch.CreateBuffers();

    ExpectCorners({{-3.75f, 7.5f, 0.0f, 0.5f}, {-3.75f, 0.0f, 0.0f, 0.0f}, {3.75f, 0.0f, 0.5f, 0.0f},
                   {3.75f, 7.5f, 0.5f, 0.5f},
                   {-15.0f, 6.0f, 0.5f, 0.5f}, {-15.0f, 0.0f, 0.5f, 0.0f}, {15.0f, 0.0f, 1.0f, 0.0f},
                   {15.0f, 6.0f, 1.0f, 0.5f}},
                  Corners(patch));
    const std::vector<Vorm::GrassVertexData> vertices = Records<Vorm::GrassVertexData>(Vertices(patch).bytes);
    for (int k = 0; k < 4; ++k)
        EXPECT_EQ((std::vector<float>{1, 2, 3}), (std::vector<float>{vertices[k].pos.x, vertices[k].pos.y, vertices[k].pos.z}));
    EXPECT_EQ((std::vector<unsigned int>{0, 1, 2, 0, 2, 3, 4, 5, 6, 4, 6, 7}),
              Records<unsigned int>(Indices(patch).bytes));

    EXPECT_EQ(0u, Vertices(patch).Data().m_usage);
    EXPECT_EQ(1u, Indices(patch).Data().m_usage);
    EXPECT_EQ(Vorm::eDataFormat_UINT1, Indices(patch).GetFormat().m_format);
    const Vorm::VertexFormat& format = Vertices(patch).GetVertexFormat();
    EXPECT_EQ(28u, format.m_size);
    ASSERT_TRUE(format.GetAttribute("pos") && format.GetAttribute("sc2_tx2"));
    EXPECT_EQ(0u, format.GetAttribute("pos")->m_offset);
    EXPECT_EQ(12u, format.GetAttribute("sc2_tx2")->m_offset);
    EXPECT_EQ(Vorm::eDataFormat_FLOAT4, format.GetAttribute("sc2_tx2")->m_dataType.m_format);
    EXPECT_EQ(Vorm::ePrimitive_TriangleList, patch.GetPrimitiveType());

    // The lists are handed over; the bound covers the fixed 800 x 800 square.
    EXPECT_TRUE(patch.GetVertices().empty());
    EXPECT_TRUE(patch.GetIndices().empty());
    EXPECT_NEAR(400.0f * std::sqrt(2.0f), patch.GetLocalBound()->GetRadius(), 0.01f);
    EXPECT_FLOAT_EQ(0.0f, patch.GetLocalBound()->GetCenter().Length());
}

TEST_F(GrassPatchTest, ClumpKindsPickQuadrantAndSize)
{
    Vorm::GrassPatch patch;
    const Vector3<float> p(0.0f, 0.0f, 0.0f);
    patch.AddClumpQ0(p, 1.5f);
    patch.AddClumpQ1(p);
    patch.AddClumpQ2(p, 0.5f);
    patch.AddClumpFull(p);
    patch.CreateBuffers();
    const std::vector<Corner> c = Corners(patch);
    ASSERT_EQ(16u, c.size());
    // Top right corner of each: half width, height, far texture corner.
    ExpectCorners({{5.625f, 11.25f, 0.5f, 0.5f}, {3.75f, 15.0f, 0.5f, 1.0f}, {1.875f, 7.5f, 1.0f, 0.5f},
                   {3.75f, 15.0f, 1.0f, 1.0f}},
                  {c[3], c[7], c[11], c[15]});
    ExpectCorners({{-3.75f, 0.0f, 0.0f, 0.5f}, {-1.875f, 0.0f, 0.5f, 0.0f}}, {c[5], c[9]});
}

TEST_F(GrassPatchTest, EmptyPatchStillGetsItsBuffers)
{
    Vorm::GrassPatch patch;
    patch.CreateBuffers();
    ASSERT_TRUE(patch.GetIndexBuffer() && patch.GetVertexBuffer());
    EXPECT_EQ(0u, patch.GetIndexBuffer()->GetCount());
    EXPECT_EQ(0u, patch.GetVertexBuffer()->GetCount());

    Vorm::GrassPatch fromNothing;
    fromNothing.CreateFromPositions({});
    ASSERT_TRUE(fromNothing.GetIndexBuffer());
    EXPECT_EQ(0u, fromNothing.GetIndexBuffer()->GetCount());
    EXPECT_TRUE(fromNothing.GetSortPairs().empty());
}

TEST_F(GrassPatchTest, CreateFromPositionsReplacesAnEarlierCall)
{
    Vorm::GrassPatch patch;
    patch.CreateFromPositions({Vector3<float>(9.0f, 9.0f, 9.0f)});
    patch.AddClumpQ0(Vector3<float>(0.0f, 0.0f, 0.0f), 1.0f);
    const std::vector<Vector3<float> > anchors = {Vector3<float>(-2.0f, 0.0f, 1.0f), Vector3<float>(4.0f, 1.0f, -3.0f)};
    patch.CreateFromPositions(anchors);
    // The first call's two buffers went with it.
    EXPECT_EQ(2, RecordingRenderer::s_destroyedBuffers);

    ASSERT_EQ(2u, patch.GetSortPairs().size());
    for (size_t k = 0; k < anchors.size(); ++k) {
        EXPECT_EQ(4u * k, patch.GetSortPairs()[k].second);
        EXPECT_FLOAT_EQ(anchors[k].x, patch.GetSortPairs()[k].first->x);
        EXPECT_FLOAT_EQ(anchors[k].z, patch.GetSortPairs()[k].first->z);
    }
    const std::vector<Corner> corners = Corners(patch);
    ExpectCorners({{-2.5f, 5.0f, 0.0f, 1.0f}, {-2.5f, 0.0f, 0.0f, 0.0f}, {2.5f, 0.0f, 1.0f, 0.0f},
                   {2.5f, 5.0f, 1.0f, 1.0f}},
                  std::vector<Corner>(corners.begin() + 4, corners.end()));
    EXPECT_EQ((std::vector<unsigned int>{0, 1, 2, 0, 2, 3, 4, 5, 6, 4, 6, 7}), Records<unsigned int>(Indices(patch).bytes));
    // The bound is the anchors' box; the clump added between stays collected.
    EXPECT_FLOAT_EQ(1.0f, patch.GetLocalBound()->GetCenter().x);
    EXPECT_FLOAT_EQ(-1.0f, patch.GetLocalBound()->GetCenter().z);
    EXPECT_EQ(4u, patch.GetVertices().size());
}

TEST_F(GrassPatchTest, BuffersGoWithThePatch)
{
    {
        Vorm::GrassPatch patch;
        patch.AddClumpQ1(Vector3<float>(0.0f, 0.0f, 0.0f));
        patch.CreateBuffers();
        EXPECT_EQ(0, RecordingRenderer::s_destroyedBuffers);
    }
    EXPECT_EQ(2, RecordingRenderer::s_destroyedBuffers);
}

} // namespace
