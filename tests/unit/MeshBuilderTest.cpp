#include "AssertRecorder.h"
#include "TrackerLog.h"
#include "TestRenderer.h"

#include "Core/Memory/MemTracker.h"
#include "Core/Rendering/VertexTypes.h"
#include "Core/Scenegraph/BoundingSphere.h"
#include "Core/Scenegraph/mesh/ComputeTangents.h"
#include "Core/Scenegraph/mesh/MeshBuilder.h"
#include "Core/Scenegraph/mesh/TriangleMesh.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <sstream>
#include <vector>

using namespace Vorm;

namespace {

template <typename T>
std::vector<T> Records(const std::vector<std::uint8_t>& bytes)
{
    std::vector<T> out(bytes.size() / sizeof(T));
    if (!out.empty())
        std::memcpy(out.data(), bytes.data(), out.size() * sizeof(T));
    return out;
}

Vector3<float> TriangleNormal(const Vector3<float>& a, const Vector3<float>& b, const Vector3<float>& c)
{
    return (b - a).Cross(c - a);
}

class MeshBuilderTest : public ::testing::Test
{
protected:
    void SetUp() override { TestRenderer::s_destroyedBuffers = 0; }
    TestRenderer renderer;
};

} // namespace

TEST_F(MeshBuilderTest, BoxHasCornersBoundAndOutwardTriangles)
{
    TriangleMesh mesh;
    MeshBuilder().CreateBox(&mesh, 2.0f, 4.0f, 6.0f);

    auto* vb = dynamic_cast<TestRenderer::VertexBuffer*>(mesh.GetVertexBuffer());
    auto* ib = dynamic_cast<TestRenderer::IndexBuffer*>(mesh.GetIndexBuffer());
    ASSERT_NE(nullptr, vb);
    ASSERT_NE(nullptr, ib);
    EXPECT_EQ(8u, vb->GetCount());
    EXPECT_EQ(96u, vb->Data().m_size);
    EXPECT_EQ(12u, vb->GetVertexFormat().m_size);
    EXPECT_EQ(36u, ib->GetCount());
    EXPECT_EQ(36u, ib->Data().m_size);
    EXPECT_EQ(eDataFormat_UBYTE1, ib->GetFormat().m_format);
    EXPECT_EQ(0, mesh.GetPrimitiveType());

    const std::vector<VT_Pos> v = Records<VT_Pos>(vb->bytes);
    ASSERT_EQ(8u, v.size());
    for (const VT_Pos& p : v) {
        EXPECT_FLOAT_EQ(1.0f, std::fabs(p.pos.x));
        EXPECT_FLOAT_EQ(2.0f, std::fabs(p.pos.y));
        EXPECT_FLOAT_EQ(3.0f, std::fabs(p.pos.z));
    }
    EXPECT_FLOAT_EQ(std::sqrt(14.0f), mesh.GetLocalBound()->GetRadius());
    EXPECT_FLOAT_EQ(0.0f, mesh.GetLocalBound()->GetCenter().Length());

    // Every triangle faces away from the centre: counter-clockwise from outside.
    ASSERT_EQ(36u, ib->bytes.size());
    for (int t = 0; t < 12; ++t) {
        const Vector3<float>& a = v[ib->bytes[3 * t]].pos;
        const Vector3<float>& b = v[ib->bytes[3 * t + 1]].pos;
        const Vector3<float>& c = v[ib->bytes[3 * t + 2]].pos;
        const Vector3<float> centroid = (a + b + c) / 3.0f;
        EXPECT_GT(TriangleNormal(a, b, c).Dot(centroid), 0.0f) << "triangle " << t;
    }
}

TEST_F(MeshBuilderTest, PlaneFacesPlusZWithCornerUvs)
{
    TriangleMesh mesh;
    MeshBuilder().CreatePlane(&mesh, 2.0f, 2.0f);

    auto* vb = dynamic_cast<TestRenderer::VertexBuffer*>(mesh.GetVertexBuffer());
    auto* ib = dynamic_cast<TestRenderer::IndexBuffer*>(mesh.GetIndexBuffer());
    ASSERT_NE(nullptr, vb);
    ASSERT_NE(nullptr, ib);
    EXPECT_EQ(128u, vb->Data().m_size);
    EXPECT_EQ(32u, vb->GetVertexFormat().m_size);
    EXPECT_EQ(6u, ib->GetCount());
    EXPECT_EQ(eDataFormat_UBYTE1, ib->GetFormat().m_format);
    EXPECT_FLOAT_EQ(std::sqrt(2.0f), mesh.GetLocalBound()->GetRadius());

    const std::vector<VT_PosNorTex> v = Records<VT_PosNorTex>(vb->bytes);
    ASSERT_EQ(4u, v.size());
    const float uv[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_FLOAT_EQ(0.0f, v[i].pos.z);
        EXPECT_FLOAT_EQ(uv[i][0], v[i].tex0.x);
        EXPECT_FLOAT_EQ(uv[i][1], v[i].tex0.y);
    }
    // The stored normal agrees with the winding of both triangles.
    for (int t = 0; t < 2; ++t) {
        const Vector3<float> n = TriangleNormal(v[ib->bytes[3 * t]].pos, v[ib->bytes[3 * t + 1]].pos,
                                                v[ib->bytes[3 * t + 2]].pos).Normalized();
        for (int i = 0; i < 3; ++i) {
            const Vector3<float>& stored = v[ib->bytes[3 * t + i]].normal;
            EXPECT_FLOAT_EQ(n.x, stored.x);
            EXPECT_FLOAT_EQ(n.y, stored.y);
            EXPECT_FLOAT_EQ(n.z, stored.z);
        }
    }
}

TEST_F(MeshBuilderTest, CreateWithNullBoundKeepsLocalBoundAndMeshOwnsBuffers)
{
    {
        TriangleMesh mesh;
        BoundingSphere preset;
        preset.Set(Vector3<float>(1.0f, 2.0f, 3.0f), 4.0f);
        mesh.GetLocalBound()->CopyFrom(&preset);

        const std::uint32_t indices[3] = {0, 1, 2};
        const VT_Pos verts[3] = {VT_Pos(Vector3<float>(0, 0, 0)), VT_Pos(Vector3<float>(1, 0, 0)),
                                 VT_Pos(Vector3<float>(0, 1, 0))};
        BufferData vd{3, sizeof(verts), 0, verts};
        BufferData id{3, sizeof(indices), 0, indices};
        const VertexFormat format = VT_Pos::GetFormat();
        EXPECT_TRUE(mesh.Create(vd, &format, id, DataType(eDataFormat_UINT1), nullptr));
        EXPECT_TRUE(mesh.IsCreated());
        EXPECT_FLOAT_EQ(4.0f, mesh.GetLocalBound()->GetRadius());
        EXPECT_FLOAT_EQ(3.0f, mesh.GetLocalBound()->GetCenter().z);
        EXPECT_EQ(eDataFormat_UINT1, mesh.GetIndexBuffer()->GetFormat().m_format);
        EXPECT_EQ(0, TestRenderer::s_destroyedBuffers);
    }
    EXPECT_EQ(2, TestRenderer::s_destroyedBuffers);
}

TEST_F(MeshBuilderTest, SecondCreateIsReportedAndReleasesTheFirstBuffers)
{
    AssertRecorder rec;
    TriangleMesh mesh;
    MeshBuilder builder;
    builder.CreatePlane(&mesh, 1.0f, 1.0f);
    builder.CreateBox(&mesh, 1.0f, 1.0f, 1.0f);
    EXPECT_TRUE(rec.Saw("!m_bCreated && \"Geometry created twice!\""));
    EXPECT_EQ(2, TestRenderer::s_destroyedBuffers);
    EXPECT_EQ(8u, mesh.GetVertexBuffer()->GetCount());
}

TEST_F(MeshBuilderTest, DestructorReleasesBothBuffersUnderItsOwnName)
{
    std::istringstream log(TrackerLogOf([] {
        TriangleMesh mesh;
        MeshBuilder().CreateBox(&mesh, 1.0f, 1.0f, 1.0f);
    }));
    int released = 0;
    for (std::string line; std::getline(log, line);)
        if (line.compare(0, 3, "[-]") == 0 && line.find("::Vorm::TriangleMesh::~TriangleMesh") != std::string::npos)
            ++released;
    EXPECT_EQ(2, released);
    EXPECT_EQ(2, TestRenderer::s_destroyedBuffers);
}

// --- tangents ---

namespace {

VT_PosNorTexTan Vertex(float x, float y, float z, float u, float v,
                       const Vector3<float>& n = Vector3<float>(0, 0, 1))
{
    return VT_PosNorTexTan(Vector3<float>(x, y, z), n, Vector2(u, v), Vector3<float>(0, 0, 0));
}

void ExpectVec(const Vector3<float>& expected, const Vector3<float>& actual, const char* what)
{
    EXPECT_NEAR(expected.x, actual.x, 1e-6f) << what;
    EXPECT_NEAR(expected.y, actual.y, 1e-6f) << what;
    EXPECT_NEAR(expected.z, actual.z, 1e-6f) << what;
}

} // namespace

TEST(ComputeTangents, QuadWithUAlongXGivesUnitX)
{
    // A 4 x 2 quad, u along +x and v along +y, normals +z.
    std::vector<VT_PosNorTexTan> v = {Vertex(0, 0, 0, 0, 0), Vertex(4, 0, 0, 1, 0), Vertex(4, 2, 0, 1, 1),
                                      Vertex(0, 2, 0, 0, 1)};
    ComputeTangents(v, {0, 1, 2, 0, 2, 3});
    for (const auto& vertex : v)
        ExpectVec(Vector3<float>(1, 0, 0), vertex.tangent, "quad");

    // Mirrored u runs along -x.
    std::vector<VT_PosNorTexTan> m = {Vertex(0, 0, 0, 1, 0), Vertex(4, 0, 0, 0, 0), Vertex(4, 2, 0, 0, 1)};
    ComputeTangents(m, {0, 1, 2});
    ExpectVec(Vector3<float>(-1, 0, 0), m[1].tangent, "mirrored");
}

TEST(ComputeTangents, TangentIsOrthogonalisedAgainstNormalAndUntouchedVerticesStayZero)
{
    // Normal tilted in x-z: the u direction (+x) loses its part along the normal.
    const Vector3<float> n = Vector3<float>(1, 0, 1).Normalized();
    std::vector<VT_PosNorTexTan> v = {Vertex(0, 0, 0, 0, 0, n), Vertex(1, 0, 0, 1, 0, n), Vertex(0, 1, 0, 0, 1, n),
                                      Vertex(9, 9, 9, 0, 0, n)};
    ComputeTangents(v, {0, 1, 2});
    const float k = std::sqrt(0.5f);
    ExpectVec(Vector3<float>(k, 0, -k), v[0].tangent, "tilted");
    EXPECT_NEAR(0.0f, v[0].tangent.Dot(n), 1e-6f);
    ExpectVec(Vector3<float>(0, 0, 0), v[3].tangent, "untouched");

    // A summed tangent parallel to the normal ends as zero, not normalised.
    std::vector<VT_PosNorTexTan> p = {Vertex(0, 0, 0, 0, 0, Vector3<float>(1, 0, 0)),
                                      Vertex(1, 0, 0, 1, 0, Vector3<float>(1, 0, 0)),
                                      Vertex(0, 1, 0, 0, 1, Vector3<float>(1, 0, 0))};
    ComputeTangents(p, {0, 1, 2});
    ExpectVec(Vector3<float>(0, 0, 0), p[0].tangent, "parallel");
}

TEST(ComputeTangents, TrailingIndicesOutOfRangeIndicesAndDegenerateUvAreSkipped)
{
    std::vector<VT_PosNorTexTan> v = {Vertex(0, 0, 0, 0, 0), Vertex(1, 0, 0, 1, 0), Vertex(0, 1, 0, 0, 1),
                                      Vertex(1, 1, 0, 1, 1)};
    // Seventh index (3) is ignored; 3 would otherwise give vertex 3 a tangent.
    ComputeTangents(v, {0, 1, 2, 0, 2, 1, 3});
    ExpectVec(Vector3<float>(0, 0, 0), v[3].tangent, "trailing");
    ExpectVec(Vector3<float>(1, 0, 0), v[0].tangent, "summed");

    // Index past the list: the triangle is dropped, the others still count.
    std::vector<VT_PosNorTexTan> w = {Vertex(0, 0, 0, 0, 0), Vertex(1, 0, 0, 1, 0), Vertex(0, 1, 0, 0, 1)};
    ComputeTangents(w, {0, 1, 7, 0, 1, 2});
    ExpectVec(Vector3<float>(1, 0, 0), w[2].tangent, "out of range");

    // All three uv equal: no u direction; a good neighbour keeps the shared
    // vertex finite and correct.
    std::vector<VT_PosNorTexTan> d = {Vertex(0, 0, 0, 0, 0), Vertex(1, 0, 0, 1, 0), Vertex(0, 1, 0, 0, 1),
                                      Vertex(1, 1, 0, 0.5f, 0.5f), Vertex(2, 1, 0, 0.5f, 0.5f),
                                      Vertex(2, 2, 0, 0.5f, 0.5f)};
    ComputeTangents(d, {0, 1, 2, 0, 3, 4, 3, 4, 5});
    for (const auto& vertex : d) {
        EXPECT_TRUE(std::isfinite(vertex.tangent.x) && std::isfinite(vertex.tangent.y) &&
                    std::isfinite(vertex.tangent.z));
    }
    ExpectVec(Vector3<float>(1, 0, 0), d[0].tangent, "shared with degenerate");
    ExpectVec(Vector3<float>(0, 0, 0), d[5].tangent, "only degenerate");
}
