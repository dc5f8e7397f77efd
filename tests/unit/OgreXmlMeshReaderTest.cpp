#include "CoutCapture.h"
#include "MathExpect.h"
#include "ModelTestFiles.h"
#include "TempFolder.h"
#include "RecordingIndexBuffer.h"
#include "RecordingRenderer.h"
#include "RecordingVertexBuffer.h"

#include "Core/Rendering/VertexTypes.h"
#include "Core/Scenegraph/BoundingSphere.h"
#include "Core/Scenegraph/mesh/TriangleMesh.h"
#include "Core/Scenegraph/model/OgreXmlModelLoader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

using namespace Vorm;
using MathExpect::ExpectNear;
using ModelTestFiles::SceneDir;

namespace {

typedef OgreXmlModelLoader Loader;
typedef RecordingVertexBuffer TestVb;
typedef RecordingIndexBuffer TestIb;

class OgreXmlMeshReaderTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_folder.Ok()); }

    bool Load(const std::string& path) { return Loader::LoadMesh(path, &m_mesh); }
    TestVb& Vb() const { return static_cast<TestVb&>(*m_mesh.GetVertexBuffer()); }
    TestIb& Ib() const { return static_cast<TestIb&>(*m_mesh.GetIndexBuffer()); }
    std::vector<VT_PosNorTexTan> Vertices() const { return Records<VT_PosNorTexTan>(Vb().bytes); }
    std::vector<std::uint32_t> Indices() const { return Records<std::uint32_t>(Ib().bytes); }
    const BoundingSphere& Bound() const { return *static_cast<BoundingSphere*>(m_mesh.GetLocalBound()); }

    RecordingRenderer m_renderer;
    TriangleMesh m_mesh;
    TempFolder m_folder;
};

const char* const kTriangle =
    "<face v1=\"0\" v2=\"1\" v3=\"2\" />\n"
    "<vertex>\n<position x=\"0\" y=\"0\" z=\"0\" />\n<normal x=\"0\" y=\"0\" z=\"1\" />\n"
    "<texcoord u=\"0\" v=\"0\" />\n</vertex>\n"
    "<vertex>\n<position x=\"1\" y=\"0\" z=\"0\" />\n<normal x=\"0\" y=\"0\" z=\"1\" />\n"
    "<texcoord u=\"1\" v=\"0\" />\n</vertex>\n"
    "<vertex>\n<position x=\"0\" y=\"1\" z=\"0\" />\n<normal x=\"0\" y=\"0\" z=\"1\" />\n"
    "<texcoord u=\"0\" v=\"1\" />\n</vertex>\n";

} // namespace

TEST(OgreXmlTextHelpers, AttributeValuesAreFoundByNameAndEmptyWhenMissingOrUnterminated)
{
    const struct
    {
        const char* line;
        const char* name;
        const char* value;
    } table[] = {
        {"<position y=\"2\" x=\"1\" z=\"-3.5\" />", "x", "1"},
        {"<position y=\"2\" x=\"1\" z=\"-3.5\" />", "y", "2"},
        {"<position y=\"2\" x=\"1\" z=\"-3.5\" />", "z", "-3.5"},
        {"<face xv1=\"1\" v1=\"5\" />", "v1", "1"}, // the first hit counts, even inside another word
        {"<texcoord u=\"0.5\" />", "v", ""},
        {"<face v1=\"0\" v2=\"1\" v3=\"2", "v3", ""},
        {"<face v1", "v1", ""},
        {"<face v1=", "v1", ""},
        {"", "x", ""},
    };
    for (const auto& row : table)
        EXPECT_EQ(row.value, Loader::GetAttributeValue(row.line, row.name)) << row.line << " / " << row.name;
}

TEST(OgreXmlTextHelpers, NumbersReadLikeAStreamAndZeroWhenAbsent)
{
    EXPECT_EQ(-12, Loader::ToInt("  -12abc"));
    EXPECT_EQ(7, Loader::ToInt("+7"));
    EXPECT_EQ(0, Loader::ToInt("abc"));
    EXPECT_EQ(0, Loader::ToInt(""));
    EXPECT_FLOAT_EQ(25.0f, Loader::ToFloat("2.5e1"));
    EXPECT_FLOAT_EQ(-0.125f, Loader::ToFloat("\t-.125 rest"));
    EXPECT_FLOAT_EQ(1.0f, Loader::ToFloat("1,5")); // classic locale: ',' ends the number
    EXPECT_FLOAT_EQ(0.0f, Loader::ToFloat("x1"));
    EXPECT_FLOAT_EQ(0.0f, Loader::ToFloat("1e99")); // out of float range
}

TEST_F(OgreXmlMeshReaderTest, GroundQuadWithEnclosingCloseTagGetsAnExtraVertex)
{
    ASSERT_TRUE(Load(SceneDir() + "Ground.mesh.xml"));
    const std::vector<VT_PosNorTexTan> v = Vertices();
    // Four vertices plus the copy made by "</vertexbuffer>".
    ASSERT_EQ(5u, v.size());
    EXPECT_EQ((std::vector<std::uint32_t>{0, 1, 2, 0, 2, 3}), Indices());
    ExpectNear(v[1].pos, -5, 0, 5);
    ExpectNear(v[2].normal, 0, 1, 0);
    EXPECT_FLOAT_EQ(1.0f, v[2].tex0.x);
    EXPECT_FLOAT_EQ(1.0f, v[2].tex0.y);
    ExpectNear(v[4].pos, 5, 0, -5);
    // u grows along +x over the quad; the unused copy keeps a zero tangent.
    ExpectNear(v[0].tangent, 1, 0, 0);
    ExpectNear(v[4].tangent, 0, 0, 0);

    EXPECT_EQ(5u * 44u, Vb().Data().m_size);
    EXPECT_EQ(0u, Vb().Data().m_usage);
    EXPECT_EQ(44u, Vb().GetVertexFormat().m_size);
    EXPECT_TRUE(Vb().GetVertexFormat().GetAttribute("tangent") != 0);
    EXPECT_EQ(eDataFormat_UINT1, Ib().GetFormat().m_format);
    EXPECT_EQ(24u, Ib().Data().m_size);
    ExpectNear(Bound().GetCenter(), 0, 0, 0);
    EXPECT_NEAR(std::sqrt(200.0f) / 2.0f, Bound().GetRadius(), 1e-4f);
}

TEST_F(OgreXmlMeshReaderTest, SubmeshesShareOneListMissingLinesRepeatAndCrLfReadsLikeLf)
{
    ASSERT_TRUE(Load(SceneDir() + "Rock.mesh.xml"));
    const std::vector<VT_PosNorTexTan> v = Vertices();
    ASSERT_EQ(6u, v.size());
    EXPECT_EQ((std::vector<std::uint32_t>{0, 1, 2, 3, 4, 5}), Indices());
    ExpectNear(v[3].pos, 0, 0, -1); // written y, x, z
    ExpectNear(v[4].normal, 0, 1, 0);
    ExpectNear(v[5].normal, 0, 1, 0);
    EXPECT_FLOAT_EQ(1.0f, v[5].tex0.x);
    EXPECT_FLOAT_EQ(0.0f, v[5].tex0.y);
    ExpectNear(Bound().GetCenter(), 1, 0.5f, -1.5f);
    EXPECT_NEAR(std::sqrt(14.0f) / 2.0f, Bound().GetRadius(), 1e-4f);

    TriangleMesh crlf;
    const std::string text = ModelTestFiles::ReadText(SceneDir() + "Rock.mesh.xml");
    ASSERT_TRUE(Loader::LoadMesh(m_folder.Write("crlf.mesh.xml", ModelTestFiles::ToCrLf(text)), &crlf));
    EXPECT_EQ(Vb().bytes, static_cast<TestVb*>(crlf.GetVertexBuffer())->bytes);
    EXPECT_EQ(Ib().bytes, static_cast<TestIb*>(crlf.GetIndexBuffer())->bytes);
}

TEST_F(OgreXmlMeshReaderTest, MarkersNeedTheirBlankAndTheFirstMatchDecides)
{
    ASSERT_TRUE(Load(m_folder.Write("m.mesh.xml",
                                    "<faces count=\"9\">\n<positions x=\"9\" y=\"9\" z=\"9\" />\n"
                                    "<face v1=\"2\" v2=\"1\" v3=\"0\" /><position x=\"50\" y=\"50\" z=\"50\" />\n" +
                                        std::string(kTriangle) + "<position x=\"-4\" y=\"0\" z=\"0\" />\n")));
    EXPECT_EQ((std::vector<std::uint32_t>{2, 1, 0, 0, 1, 2}), Indices());
    EXPECT_EQ(3u, Vertices().size());
    // The last position belongs to no vertex but still widens the bound;
    // the one on the face line and the "<positions" line do not.
    ExpectNear(Bound().GetCenter(), -1.5f, 0.5f, 0);
}

TEST_F(OgreXmlMeshReaderTest, MalformedOrMissingFilesAreRejectedWithTheFileNamed)
{
    const std::string v = "<vertex>\n<position x=\"0\" y=\"0\" z=\"0\" />\n</vertex>\n";
    const std::string three = v + v + v;
    const std::string tree = ModelTestFiles::ReadText(SceneDir() + "Tree.mesh.xml");
    const struct
    {
        const char* what;
        std::string text;
        const char* reason; // part of the console line
    } table[] = {
        {"empty file", "", "no vertex"},
        {"vertices without faces", three, "no face"},
        {"faces without vertices", "<face v1=\"0\" v2=\"0\" v3=\"0\" />\n", "no vertex"},
        {"vertices without positions",
         "<vertex>\n<normal x=\"0\" y=\"1\" z=\"0\" />\n</vertex>\n<face v1=\"0\" v2=\"0\" v3=\"0\" />\n",
         "no position"},
        {"index past the vertex list", "<face v1=\"0\" v2=\"1\" v3=\"3\" />\n" + three, "uses vertex 3 of 3"},
        {"negative index", "<face v1=\"0\" v2=\"-1\" v3=\"2\" />\n" + three, "negative index in v2"},
        {"face without v3", "<face v1=\"0\" v2=\"1\" />\n" + three, "v3 missing"},
        {"face index not a number", "<face v1=\"0\" v2=\"one\" v3=\"2\" />\n" + three, "v2 missing or not a number"},
        {"index out of int range", "<face v1=\"0\" v2=\"1\" v3=\"99999999999\" />\n" + three, "v3 missing"},
        {"position without z", three + "<position x=\"1\" y=\"2\" />\n", "z missing"},
        {"position cut inside a value", three + "<position x=\"1\" y=\"2\" z=\"3", "z missing"},
        {"attribute name at the line end", "<face v1", "v1 missing"},
        {"normal not a number", three + "<normal x=\"0\" y=\"up\" z=\"0\" />\n", "y missing"},
        {"texcoord without v", three + "<texcoord u=\"0.5\" />\n", "v missing"},
        {"float out of range", "<position x=\"1e99\" y=\"0\" z=\"0\" />\n", "x missing"},
        // Cut inside the second vertex: faces name vertices that never come.
        {"file cut inside the vertex list", tree.substr(0, tree.find("<position x=\"1\" y=\"0\" z=\"-1\" />")),
         "uses vertex"},
        {"binary junk", std::string("\x00\xff<face \x01\x02", 9), "v1 missing"},
        {"empty value, line named", kTriangle + std::string("<vertex>\n<position x=\"1\" y=\"\" z=\"0\" />\n"),
         "line 18: attribute y missing or not a number"},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(row.what);
        TriangleMesh mesh;
        const std::string path = m_folder.Write("bad.mesh.xml", row.text);
        CoutCapture out;
        EXPECT_FALSE(Loader::LoadMesh(path, &mesh));
        EXPECT_FALSE(mesh.IsCreated());
        EXPECT_TRUE(mesh.GetVertexBuffer() == 0);
        EXPECT_TRUE(out.Contains("Mesh file not loaded: " + path)) << out.Text();
        EXPECT_TRUE(out.Contains(row.reason)) << out.Text();
    }

    CoutCapture out;
    EXPECT_FALSE(Load(m_folder.Path("Nothing.mesh.xml")));
    EXPECT_FALSE(m_mesh.IsCreated());
    EXPECT_TRUE(m_mesh.GetVertexBuffer() == 0);
    EXPECT_TRUE(out.Contains("Mesh file not loaded: " + m_folder.Path("Nothing.mesh.xml"))) << out.Text();
}
