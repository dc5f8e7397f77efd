#include "AssertRecorder.h"
#include "MathExpect.h"
#include "TrackerLog.h"
#include "RecordingIndexBuffer.h"
#include "RecordingRenderer.h"
#include "RecordingVertexBuffer.h"

#include "Core/Memory/MemTracker.h"
#include "Core/Rendering/VertexTypes.h"
#include "Core/Scenegraph/BoundingSphere.h"
#include "Core/Scenegraph/mesh/ComputeTangents.h"
#include "Core/Scenegraph/mesh/MeshBuilder.h"
#include "Core/Scenegraph/mesh/TriangleMesh.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <vector>

using namespace Vorm;
using MathExpect::ExpectNear;

namespace {

Vector3<float> TriangleNormal(const Vector3<float>& a, const Vector3<float>& b, const Vector3<float>& c)
{
    return (b - a).Cross(c - a);
}

class MeshBuilderTest : public ::testing::Test
{
protected:
    void SetUp() override { RecordingRenderer::s_destroyedBuffers = 0; }

    typedef RecordingVertexBuffer TestVb;
    typedef RecordingIndexBuffer TestIb;
    TestVb* Vb() const { return dynamic_cast<TestVb*>(mesh.GetVertexBuffer()); }
    TestIb* Ib() const { return dynamic_cast<TestIb*>(mesh.GetIndexBuffer()); }

    RecordingRenderer renderer;
    TriangleMesh mesh;
};

} // namespace

TEST_F(MeshBuilderTest, BoxHasCornersBoundAndOutwardTriangles)
{
    MeshBuilder().CreateBox(&mesh, 2.0f, 4.0f, 6.0f);
    ASSERT_TRUE(Vb() && Ib());
    EXPECT_EQ(8u, Vb()->GetCount());
    EXPECT_EQ(96u, Vb()->Data().m_size);
    EXPECT_EQ(12u, Vb()->GetVertexFormat().m_size);
    EXPECT_EQ(36u, Ib()->GetCount());
    EXPECT_EQ(eDataFormat_UBYTE1, Ib()->GetFormat().m_format);
    EXPECT_EQ(0, mesh.GetPrimitiveType());
    EXPECT_FLOAT_EQ(std::sqrt(14.0f), mesh.GetLocalBound()->GetRadius());
    EXPECT_FLOAT_EQ(0.0f, mesh.GetLocalBound()->GetCenter().Length());

    const std::vector<VT_Pos> v = Records<VT_Pos>(Vb()->bytes);
    const std::vector<std::uint8_t>& i = Ib()->bytes;
    ASSERT_EQ(8u, v.size());
    ASSERT_EQ(36u, i.size());
    for (const VT_Pos& p : v) {
        EXPECT_FLOAT_EQ(1.0f, std::fabs(p.pos.x));
        EXPECT_FLOAT_EQ(2.0f, std::fabs(p.pos.y));
        EXPECT_FLOAT_EQ(3.0f, std::fabs(p.pos.z));
    }
    // Every triangle faces away from the centre: counter-clockwise from outside.
    for (int t = 0; t < 12; ++t) {
        const Vector3<float>& a = v[i[3 * t]].pos;
        const Vector3<float>& b = v[i[3 * t + 1]].pos;
        const Vector3<float>& c = v[i[3 * t + 2]].pos;
        EXPECT_GT(TriangleNormal(a, b, c).Dot((a + b + c) / 3.0f), 0.0f) << "triangle " << t;
    }
}

TEST_F(MeshBuilderTest, PlaneFacesPlusZWithCornerUvs)
{
    MeshBuilder().CreatePlane(&mesh, 2.0f, 2.0f);
    ASSERT_TRUE(Vb() && Ib());
    EXPECT_EQ(128u, Vb()->Data().m_size);
    EXPECT_EQ(32u, Vb()->GetVertexFormat().m_size);
    EXPECT_EQ(6u, Ib()->GetCount());
    EXPECT_EQ(eDataFormat_UBYTE1, Ib()->GetFormat().m_format);
    EXPECT_FLOAT_EQ(std::sqrt(2.0f), mesh.GetLocalBound()->GetRadius());

    const std::vector<VT_PosNorTex> v = Records<VT_PosNorTex>(Vb()->bytes);
    const std::vector<std::uint8_t>& i = Ib()->bytes;
    ASSERT_EQ(4u, v.size());
    ASSERT_EQ(6u, i.size());
    const float uv[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    for (int k = 0; k < 4; ++k) {
        EXPECT_FLOAT_EQ(0.0f, v[k].pos.z);
        EXPECT_FLOAT_EQ(uv[k][0], v[k].tex0.x);
        EXPECT_FLOAT_EQ(uv[k][1], v[k].tex0.y);
    }
    // The stored normal agrees with the winding of both triangles.
    for (int t = 0; t < 2; ++t) {
        const Vector3<float> n = TriangleNormal(v[i[3 * t]].pos, v[i[3 * t + 1]].pos, v[i[3 * t + 2]].pos).Normalized();
        for (int k = 0; k < 3; ++k) {
            EXPECT_FLOAT_EQ(n.x, v[i[3 * t + k]].normal.x);
            EXPECT_FLOAT_EQ(n.y, v[i[3 * t + k]].normal.y);
            EXPECT_FLOAT_EQ(n.z, v[i[3 * t + k]].normal.z);
        }
    }
}

TEST_F(MeshBuilderTest, CreateWithoutBoundKeepsTheLocalBoundAndTheDestructorReleasesTheBuffers)
{
    std::istringstream log(TrackerLogOf([] {
        TriangleMesh own;
        BoundingSphere preset;
        preset.Set(Vector3<float>(1.0f, 2.0f, 3.0f), 4.0f);
        own.GetLocalBound()->CopyFrom(&preset);

        const std::uint32_t indices[3] = {0, 1, 2};
        const VT_Pos verts[3] = {VT_Pos(Vector3<float>(0, 0, 0)), VT_Pos(Vector3<float>(1, 0, 0)),
                                 VT_Pos(Vector3<float>(0, 1, 0))};
        const VertexFormat format = VT_Pos::GetFormat();
        const BufferData vd{3, sizeof(verts), 0, verts};
        const BufferData id{3, sizeof(indices), 0, indices};
        EXPECT_TRUE(own.Create(vd, &format, id, DataType(eDataFormat_UINT1), nullptr));
        EXPECT_TRUE(own.IsCreated());
        EXPECT_FLOAT_EQ(4.0f, own.GetLocalBound()->GetRadius());
        EXPECT_FLOAT_EQ(3.0f, own.GetLocalBound()->GetCenter().z);
        EXPECT_EQ(eDataFormat_UINT1, own.GetIndexBuffer()->GetFormat().m_format);
        EXPECT_EQ(0, RecordingRenderer::s_destroyedBuffers);
    }));
    EXPECT_EQ(2, RecordingRenderer::s_destroyedBuffers);
    // The tracker names the destructor for both, not a helper.
    int released = 0;
    for (std::string line; std::getline(log, line);)
        released += line.compare(0, 3, "[-]") == 0 && line.find("::Vorm::TriangleMesh::~TriangleMesh") != line.npos;
    EXPECT_EQ(2, released);
}

TEST_F(MeshBuilderTest, SecondCreateIsReportedAndReleasesTheFirstBuffers)
{
    AssertRecorder rec;
    MeshBuilder builder;
    builder.CreatePlane(&mesh, 1.0f, 1.0f);
    builder.CreateBox(&mesh, 1.0f, 1.0f, 1.0f);
    EXPECT_TRUE(rec.Saw("!m_bCreated && \"Geometry created twice!\""));
    EXPECT_EQ(2, RecordingRenderer::s_destroyedBuffers);
    EXPECT_EQ(8u, mesh.GetVertexBuffer()->GetCount());
}

namespace {

VT_PosNorTexTan Vertex(float x, float y, float z, float u, float v, const Vector3<float>& n = Vector3<float>(0, 0, 1))
{
    return VT_PosNorTexTan(Vector3<float>(x, y, z), n, Vector2(u, v), Vector3<float>(0, 0, 0));
}

const float kTight = 1e-6f;

} // namespace

TEST(ComputeTangents, FollowUAndAreOrthogonalisedAgainstTheNormal)
{
    // A 4 x 2 quad, u along +x and v along +y, normals +z.
    std::vector<VT_PosNorTexTan> v = {Vertex(0, 0, 0, 0, 0), Vertex(4, 0, 0, 1, 0), Vertex(4, 2, 0, 1, 1),
                                      Vertex(0, 2, 0, 0, 1)};
    ComputeTangents(v, {0, 1, 2, 0, 2, 3});
    for (const auto& vertex : v)
        ExpectNear(vertex.tangent, 1, 0, 0, kTight);

    // Mirrored u runs along -x.
    std::vector<VT_PosNorTexTan> m = {Vertex(0, 0, 0, 1, 0), Vertex(4, 0, 0, 0, 0), Vertex(4, 2, 0, 0, 1)};
    ComputeTangents(m, {0, 1, 2});
    ExpectNear(m[1].tangent, -1, 0, 0, kTight);

    // Normal tilted in x-z: the u direction (+x) loses its part along the
    // normal; a vertex no triangle uses stays zero.
    const Vector3<float> n = Vector3<float>(1, 0, 1).Normalized();
    std::vector<VT_PosNorTexTan> t = {Vertex(0, 0, 0, 0, 0, n), Vertex(1, 0, 0, 1, 0, n), Vertex(0, 1, 0, 0, 1, n),
                                      Vertex(9, 9, 9, 0, 0, n)};
    ComputeTangents(t, {0, 1, 2});
    ExpectNear(t[0].tangent, std::sqrt(0.5f), 0, -std::sqrt(0.5f), kTight);
    EXPECT_NEAR(0.0f, t[0].tangent.Dot(n), kTight);
    ExpectNear(t[3].tangent, 0, 0, 0, kTight);

    // A summed tangent parallel to the normal ends as zero, not normalised.
    const Vector3<float> x(1, 0, 0);
    std::vector<VT_PosNorTexTan> p = {Vertex(0, 0, 0, 0, 0, x), Vertex(1, 0, 0, 1, 0, x), Vertex(0, 1, 0, 0, 1, x)};
    ComputeTangents(p, {0, 1, 2});
    ExpectNear(p[0].tangent, 0, 0, 0, kTight);
}

TEST(ComputeTangents, TrailingIndicesOutOfRangeIndicesAndDegenerateUvAreSkipped)
{
    std::vector<VT_PosNorTexTan> v = {Vertex(0, 0, 0, 0, 0), Vertex(1, 0, 0, 1, 0), Vertex(0, 1, 0, 0, 1),
                                      Vertex(1, 1, 0, 1, 1)};
    // Seventh index (3) is ignored; 3 would otherwise give vertex 3 a tangent.
    ComputeTangents(v, {0, 1, 2, 0, 2, 1, 3});
    ExpectNear(v[3].tangent, 0, 0, 0, kTight);
    ExpectNear(v[0].tangent, 1, 0, 0, kTight);

    // Index past the list: the triangle is dropped, the others still count.
    std::vector<VT_PosNorTexTan> w = {Vertex(0, 0, 0, 0, 0), Vertex(1, 0, 0, 1, 0), Vertex(0, 1, 0, 0, 1)};
    ComputeTangents(w, {0, 1, 7, 0, 1, 2});
    ExpectNear(w[2].tangent, 1, 0, 0, kTight);

    // All three uv equal: no u direction; a good neighbour keeps the shared
    // vertex finite and correct.
    std::vector<VT_PosNorTexTan> d = {Vertex(0, 0, 0, 0, 0), Vertex(1, 0, 0, 1, 0), Vertex(0, 1, 0, 0, 1),
                                      Vertex(1, 1, 0, 0.5f, 0.5f), Vertex(2, 1, 0, 0.5f, 0.5f),
                                      Vertex(2, 2, 0, 0.5f, 0.5f)};
    ComputeTangents(d, {0, 1, 2, 0, 3, 4, 3, 4, 5});
    for (const auto& t : d)
        EXPECT_TRUE(std::isfinite(t.tangent.x) && std::isfinite(t.tangent.y) && std::isfinite(t.tangent.z));
    ExpectNear(d[0].tangent, 1, 0, 0, kTight);
    ExpectNear(d[5].tangent, 0, 0, 0, kTight);
}
