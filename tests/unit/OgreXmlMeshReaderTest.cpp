#include "CoutCapture.h"
#include "MathExpect.h"
#include "ModelTestFiles.h"
#include "TempFolder.h"
#include "TestRenderer.h"

#include "Core/Rendering/VertexTypes.h"
#include "Core/Scenegraph/BoundingSphere.h"
#include "Core/Scenegraph/mesh/TriangleMesh.h"
#include "Core/Scenegraph/model/OgreXmlModelLoader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

using namespace Vorm;
using MathExpect::ExpectNear;
using ModelTestFiles::SceneDir;

namespace {

typedef OgreXmlModelLoader Loader;

class OgreXmlMeshReaderTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_folder.Ok()); }

    // Writes the text as a mesh file and reads it into m_mesh.
    bool Load(const std::string& text, const std::string& file = "m.mesh.xml")
    {
        ModelTestFiles::WriteText(m_folder.Path(file), text);
        return Loader::LoadMesh(m_folder.Path(file), &m_mesh);
    }

    std::vector<VT_PosNorTexTan> Vertices() const
    {
        const TestRenderer::VertexBuffer* vb = dynamic_cast<TestRenderer::VertexBuffer*>(m_mesh.GetVertexBuffer());
        std::vector<VT_PosNorTexTan> out;
        if (!vb)
            return out;
        out.resize(vb->bytes.size() / sizeof(VT_PosNorTexTan));
        if (!out.empty())
            std::memcpy(&out[0], vb->bytes.data(), out.size() * sizeof(VT_PosNorTexTan));
        return out;
    }

    std::vector<std::uint32_t> Indices() const
    {
        const TestRenderer::IndexBuffer* ib = dynamic_cast<TestRenderer::IndexBuffer*>(m_mesh.GetIndexBuffer());
        std::vector<std::uint32_t> out;
        if (!ib)
            return out;
        out.resize(ib->bytes.size() / 4);
        if (!out.empty())
            std::memcpy(&out[0], ib->bytes.data(), out.size() * 4);
        return out;
    }

    const BoundingSphere& Bound() const { return *static_cast<BoundingSphere*>(m_mesh.GetLocalBound()); }

    TestRenderer m_renderer;
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

TEST(OgreXmlTextHelpers, AttributeValuesAreFoundByNameNotPlace)
{
    const std::string line = "<position y=\"2\" x=\"1\" z=\"-3.5\" />";
    EXPECT_EQ("1", Loader::GetAttributeValue(line, "x"));
    EXPECT_EQ("2", Loader::GetAttributeValue(line, "y"));
    EXPECT_EQ("-3.5", Loader::GetAttributeValue(line, "z"));
    // The first hit counts, even inside another word.
    EXPECT_EQ("1", Loader::GetAttributeValue("<face xv1=\"1\" v1=\"5\" />", "v1"));
}

TEST(OgreXmlTextHelpers, MissingOrUnterminatedAttributeGivesEmptyValue)
{
    EXPECT_EQ("", Loader::GetAttributeValue("<texcoord u=\"0.5\" />", "v"));
    EXPECT_EQ("", Loader::GetAttributeValue("<face v1=\"0\" v2=\"1\" v3=\"2", "v3"));
    EXPECT_EQ("", Loader::GetAttributeValue("<face v1", "v1"));
    EXPECT_EQ("", Loader::GetAttributeValue("<face v1=", "v1"));
    EXPECT_EQ("", Loader::GetAttributeValue("", "x"));
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
    ASSERT_TRUE(Loader::LoadMesh(SceneDir() + "Ground.mesh.xml", &m_mesh));
    const std::vector<VT_PosNorTexTan> v = Vertices();
    // Four vertices plus the copy made by "</vertexbuffer>".
    ASSERT_EQ(5u, v.size());
    const std::uint32_t expected[] = {0, 1, 2, 0, 2, 3};
    EXPECT_EQ(std::vector<std::uint32_t>(expected, expected + 6), Indices());

    ExpectNear(v[1].pos, -5, 0, 5);
    ExpectNear(v[2].normal, 0, 1, 0);
    EXPECT_FLOAT_EQ(1.0f, v[2].tex0.x);
    EXPECT_FLOAT_EQ(1.0f, v[2].tex0.y);
    ExpectNear(v[4].pos, 5, 0, -5);
    // u grows along +x over the quad; the unused copy keeps a zero tangent.
    ExpectNear(v[0].tangent, 1, 0, 0);
    ExpectNear(v[4].tangent, 0, 0, 0);

    const TestRenderer::VertexBuffer* vb = static_cast<TestRenderer::VertexBuffer*>(m_mesh.GetVertexBuffer());
    EXPECT_EQ(5u * 44u, vb->Data().m_size);
    EXPECT_EQ(0u, vb->Data().m_usage);
    EXPECT_EQ(44u, vb->GetVertexFormat().m_size);
    EXPECT_TRUE(vb->GetVertexFormat().GetAttribute("tangent") != 0);
    EXPECT_EQ(eDataFormat_UINT1, m_mesh.GetIndexBuffer()->GetFormat().m_format);
    EXPECT_EQ(24u, static_cast<TestRenderer::IndexBuffer*>(m_mesh.GetIndexBuffer())->Data().m_size);

    ExpectNear(Bound().GetCenter(), 0, 0, 0);
    EXPECT_NEAR(std::sqrt(200.0f) / 2.0f, Bound().GetRadius(), 1e-4f);
}

TEST_F(OgreXmlMeshReaderTest, SubmeshesShareOneListAndMissingLinesRepeatThePreviousValue)
{
    ASSERT_TRUE(Loader::LoadMesh(SceneDir() + "Rock.mesh.xml", &m_mesh));
    const std::vector<VT_PosNorTexTan> v = Vertices();
    ASSERT_EQ(6u, v.size());
    const std::uint32_t expected[] = {0, 1, 2, 3, 4, 5};
    EXPECT_EQ(std::vector<std::uint32_t>(expected, expected + 6), Indices());
    ExpectNear(v[3].pos, 0, 0, -1); // written y, x, z
    ExpectNear(v[4].normal, 0, 1, 0);
    ExpectNear(v[5].normal, 0, 1, 0);
    EXPECT_FLOAT_EQ(1.0f, v[5].tex0.x);
    EXPECT_FLOAT_EQ(0.0f, v[5].tex0.y);
    ExpectNear(Bound().GetCenter(), 1, 0.5f, -1.5f);
    EXPECT_NEAR(std::sqrt(14.0f) / 2.0f, Bound().GetRadius(), 1e-4f);
}

TEST_F(OgreXmlMeshReaderTest, MarkersNeedTheirBlankAndTheFirstMatchDecides)
{
    const std::string text = std::string("<faces count=\"9\">\n<positions x=\"9\" y=\"9\" z=\"9\" />\n") +
                             "<face v1=\"2\" v2=\"1\" v3=\"0\" /><position x=\"50\" y=\"50\" z=\"50\" />\n" +
                             kTriangle + "<position x=\"-4\" y=\"0\" z=\"0\" />\n";
    ASSERT_TRUE(Load(text));
    const std::uint32_t expected[] = {2, 1, 0, 0, 1, 2};
    EXPECT_EQ(std::vector<std::uint32_t>(expected, expected + 6), Indices());
    EXPECT_EQ(3u, Vertices().size());
    // The last position belongs to no vertex but still widens the bound;
    // the one on the face line and the "<positions" line do not.
    ExpectNear(Bound().GetCenter(), -1.5f, 0.5f, 0);
}

TEST_F(OgreXmlMeshReaderTest, MissingFileLeavesTheMeshUntouched)
{
    CoutCapture out;
    EXPECT_FALSE(Loader::LoadMesh(m_folder.Path("Nothing.mesh.xml"), &m_mesh));
    EXPECT_TRUE(m_mesh.GetVertexBuffer() == 0);
    EXPECT_FALSE(m_mesh.IsCreated());
    EXPECT_TRUE(out.Contains("Nothing.mesh.xml")) << out.Text();
}

TEST_F(OgreXmlMeshReaderTest, CrLfFileReadsLikeLf)
{
    ASSERT_TRUE(Loader::LoadMesh(SceneDir() + "Rock.mesh.xml", &m_mesh));
    const std::vector<std::uint8_t> lfVertices = static_cast<TestRenderer::VertexBuffer*>(m_mesh.GetVertexBuffer())->bytes;
    const std::vector<std::uint32_t> lfIndices = Indices();

    TriangleMesh crlf;
    const std::string path = m_folder.Path("crlf.mesh.xml");
    ModelTestFiles::WriteText(path, ModelTestFiles::ToCrLf(ModelTestFiles::ReadText(SceneDir() + "Rock.mesh.xml")));
    ASSERT_TRUE(Loader::LoadMesh(path, &crlf));
    EXPECT_EQ(lfVertices, static_cast<TestRenderer::VertexBuffer*>(crlf.GetVertexBuffer())->bytes);
    EXPECT_EQ(lfIndices.size() * 4, static_cast<TestRenderer::IndexBuffer*>(crlf.GetIndexBuffer())->bytes.size());
}

namespace {

struct MalformedMesh
{
    const char* what;
    std::string text;
    const char* reason; // part of the console line
};

std::string TruncatedTree()
{
    // Cut inside the second vertex: faces name vertices that never come.
    const std::string tree = ModelTestFiles::ReadText(SceneDir() + "Tree.mesh.xml");
    return tree.substr(0, tree.find("<position x=\"1\" y=\"0\" z=\"-1\" />"));
}

std::vector<MalformedMesh> MalformedMeshes()
{
    const std::string v = "<vertex>\n<position x=\"0\" y=\"0\" z=\"0\" />\n</vertex>\n";
    const std::string threeVertices = v + v + v;
    std::vector<MalformedMesh> t;
    t.push_back({"empty file", "", "no vertex"});
    t.push_back({"vertices without faces", threeVertices, "no face"});
    t.push_back({"faces without vertices", "<face v1=\"0\" v2=\"0\" v3=\"0\" />\n", "no vertex"});
    t.push_back({"vertices without positions",
                 "<vertex>\n<normal x=\"0\" y=\"1\" z=\"0\" />\n</vertex>\n<face v1=\"0\" v2=\"0\" v3=\"0\" />\n",
                 "no position"});
    t.push_back({"index past the vertex list", "<face v1=\"0\" v2=\"1\" v3=\"3\" />\n" + threeVertices,
                 "uses vertex 3 of 3"});
    t.push_back({"negative index", "<face v1=\"0\" v2=\"-1\" v3=\"2\" />\n" + threeVertices, "negative index in v2"});
    t.push_back({"face without v3", "<face v1=\"0\" v2=\"1\" />\n" + threeVertices, "v3 missing"});
    t.push_back({"face index not a number", "<face v1=\"0\" v2=\"one\" v3=\"2\" />\n" + threeVertices,
                 "v2 missing or not a number"});
    t.push_back({"index out of int range", "<face v1=\"0\" v2=\"1\" v3=\"99999999999\" />\n" + threeVertices,
                 "v3 missing"});
    t.push_back({"position without z", threeVertices + "<position x=\"1\" y=\"2\" />\n", "z missing"});
    t.push_back({"position cut inside a value", threeVertices + "<position x=\"1\" y=\"2\" z=\"3", "z missing"});
    t.push_back({"attribute name at the line end", "<face v1", "v1 missing"});
    t.push_back({"normal not a number", threeVertices + "<normal x=\"0\" y=\"up\" z=\"0\" />\n", "y missing"});
    t.push_back({"texcoord without v", threeVertices + "<texcoord u=\"0.5\" />\n", "v missing"});
    t.push_back({"float out of range", "<position x=\"1e99\" y=\"0\" z=\"0\" />\n", "x missing"});
    t.push_back({"file cut inside the vertex list", TruncatedTree(), "uses vertex"});
    t.push_back({"binary junk", std::string("\x00\xff<face \x01\x02", 9), "v1 missing"});
    return t;
}

} // namespace

TEST_F(OgreXmlMeshReaderTest, MalformedFilesAreRejectedWithTheFileNamed)
{
    const std::vector<MalformedMesh> table = MalformedMeshes();
    for (size_t i = 0; i < table.size(); ++i) {
        SCOPED_TRACE(table[i].what);
        TriangleMesh mesh;
        const std::string path = m_folder.Path("bad.mesh.xml");
        ModelTestFiles::WriteText(path, table[i].text);
        CoutCapture out;
        EXPECT_FALSE(Loader::LoadMesh(path, &mesh));
        EXPECT_FALSE(mesh.IsCreated());
        EXPECT_TRUE(mesh.GetVertexBuffer() == 0);
        EXPECT_TRUE(out.Contains("Mesh file not loaded: " + path)) << out.Text();
        EXPECT_TRUE(out.Contains(table[i].reason)) << out.Text();
    }
}

TEST_F(OgreXmlMeshReaderTest, ReportsTheLineOfABadValue)
{
    CoutCapture out;
    EXPECT_FALSE(Load(std::string(kTriangle) + "<vertex>\n<position x=\"1\" y=\"\" z=\"0\" />\n"));
    EXPECT_TRUE(out.Contains("line 18: attribute y missing or not a number")) << out.Text();
}
