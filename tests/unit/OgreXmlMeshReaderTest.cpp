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

#include <algorithm>
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

TEST_F(OgreXmlMeshReaderTest, GroundQuadFromTwoVertexBuffersOfSharedGeometry)
{
    ASSERT_TRUE(Load(SceneDir() + "Ground.mesh.xml"));
    const std::vector<VT_PosNorTexTan> v = Vertices();
    // Positions and normals in one buffer, texture coordinates in the next.
    ASSERT_EQ(4u, v.size());
    EXPECT_EQ((std::vector<std::uint32_t>{0, 1, 2, 0, 2, 3}), Indices());
    ExpectNear(v[1].pos, -5, 0, 5);
    ExpectNear(v[2].normal, 0, 1, 0);
    EXPECT_FLOAT_EQ(1.0f, v[2].tex0.x);
    EXPECT_FLOAT_EQ(1.0f, v[2].tex0.y);
    EXPECT_FLOAT_EQ(0.0f, v[3].tex0.y);
    // u grows along +x over the quad.
    for (const VT_PosNorTexTan& vertex : v)
        ExpectNear(vertex.tangent, 1, 0, 0);

    EXPECT_EQ(4u * 44u, Vb().Data().m_size);
    EXPECT_EQ(0u, Vb().Data().m_usage);
    EXPECT_EQ(44u, Vb().GetVertexFormat().m_size);
    EXPECT_TRUE(Vb().GetVertexFormat().GetAttribute("tangent") != 0);
    EXPECT_EQ(eDataFormat_UINT1, Ib().GetFormat().m_format);
    EXPECT_EQ(24u, Ib().Data().m_size);
    ExpectNear(Bound().GetCenter(), 0, 0, 0);
    EXPECT_NEAR(std::sqrt(200.0f) / 2.0f, Bound().GetRadius(), 1e-4f);
}

TEST_F(OgreXmlMeshReaderTest, SubmeshGeometriesFollowEachOtherAndCrLfReadsLikeLf)
{
    std::string material;
    ASSERT_TRUE(Loader::LoadMesh(SceneDir() + "Rock.mesh.xml", &m_mesh, &material));
    EXPECT_EQ("Stone", material); // the first sub-mesh's
    const std::vector<VT_PosNorTexTan> v = Vertices();
    ASSERT_EQ(6u, v.size());
    // Both sub-meshes write 0 1 2 for their own geometry.
    EXPECT_EQ((std::vector<std::uint32_t>{0, 1, 2, 3, 4, 5}), Indices());
    ExpectNear(v[3].pos, 0, 0, -1);
    ExpectNear(v[4].normal, 0, 1, 0);
    EXPECT_FLOAT_EQ(1.0f, v[5].tex0.x);
    EXPECT_FLOAT_EQ(0.0f, v[5].tex0.y);
    ExpectNear(Bound().GetCenter(), 1, 0.5f, -1.5f);
    EXPECT_NEAR(std::sqrt(14.0f) / 2.0f, Bound().GetRadius(), 1e-4f);

    TriangleMesh crlf;
    const std::string text = ModelTestFiles::ReadText(SceneDir() + "Rock.mesh.xml");
    ASSERT_TRUE(Loader::LoadMesh(m_folder.Write("crlf.mesh.xml", ModelTestFiles::ToCrLf(text)), &crlf));
    EXPECT_EQ(Vb().bytes, static_cast<TestVb*>(crlf.GetVertexBuffer())->bytes);
    EXPECT_EQ(Ib().bytes, static_cast<TestIb*>(crlf.GetIndexBuffer())->bytes);

    // A level of detail lists fewer faces of the same vertices: not read.
    TriangleMesh tree;
    ASSERT_TRUE(Loader::LoadMesh(SceneDir() + "Tree.mesh.xml", &tree, &material));
    EXPECT_EQ("Bark", material);
    EXPECT_EQ(4u, tree.GetVertexBuffer()->GetCount());
    EXPECT_EQ(12u, tree.GetIndexBuffer()->GetCount());
}

namespace {

// Mesh text in the layout of Ogre's tools, one element per line. A vertex
// is written with the parts it is given.
std::string MeshVertex(const std::string& parts)
{
    return "<vertex>\n" + parts + "</vertex>\n";
}
std::string Pos(float x, float y, float z)
{
    return "<position x=\"" + std::to_string(x) + "\" y=\"" + std::to_string(y) + "\" z=\"" + std::to_string(z) +
           "\" />\n";
}
std::string Tex(float u, float v)
{
    return "<texcoord u=\"" + std::to_string(u) + "\" v=\"" + std::to_string(v) + "\" />\n";
}
std::string Buffer(const std::string& vertices)
{
    return "<vertexbuffer positions=\"true\">\n" + vertices + "</vertexbuffer>\n";
}
std::string GeometryXml(const std::string& tag, const std::string& buffers)
{
    return "<" + tag + " vertexcount=\"3\">\n" + buffers + "</" + tag + ">\n";
}
std::string Faces(const std::string& faces)
{
    return "<faces count=\"1\">\n" + faces + "</faces>\n";
}
std::string Submesh(const std::string& material, bool shared, const std::string& body)
{
    return "<submesh material=\"" + material + "\" usesharedvertices=\"" + (shared ? "true" : "false") +
           "\" use32bitindexes=\"false\" operationtype=\"triangle_list\">\n" + body + "</submesh>\n";
}
std::string MeshFile(const std::string& body)
{
    return "<?xml version=\"1.0\"?>\n<mesh>\n" + body + "</mesh>\n";
}
// The file as if cut just before its closing </mesh>.
std::string CutBeforeEnd(const std::string& file)
{
    return file.substr(0, file.rfind("</mesh>"));
}

// Three vertices at x = first, first + 1, first + 2 with u = x / 10.
std::string Positions(int first)
{
    std::string text;
    for (int x = first; x < first + 3; ++x)
        text += MeshVertex(Pos(float(x), 0, 0));
    return text;
}
std::string TexCoords(int first)
{
    std::string text;
    for (int x = first; x < first + 3; ++x)
        text += MeshVertex(Tex(x / 10.0f, 1));
    return text;
}
std::string Full(int first)
{
    std::string text;
    for (int x = first; x < first + 3; ++x)
        text += MeshVertex(Pos(float(x), 0, 0) + Tex(x / 10.0f, 1));
    return text;
}

const std::string kFace012 = "<face v1=\"0\" v2=\"1\" v3=\"2\" />\n";

std::string Replaced(std::string text, const std::string& from, const std::string& to)
{
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

} // namespace

TEST_F(OgreXmlMeshReaderTest, FileShapesGiveTheirVerticesAndFaces)
{
    const std::string lod = "<levelofdetail strategy=\"distance_sphere\" numlevels=\"2\" manual=\"false\">\n"
                            "<lodgenerated value=\"400\">\n<lodfacelist submeshindex=\"0\" numfaces=\"1\">\n"
                            "<face v1=\"2\" v2=\"1\" v3=\"0\" />\n</lodfacelist>\n</lodgenerated>\n</levelofdetail>\n";
    const struct
    {
        const char* what;
        std::string text;
        std::vector<float> xs; // position x of every vertex; u is x / 10
        std::vector<std::uint32_t> indices;
        const char* material;
    } table[] = {
        // As read before: vertex lists without enclosing elements.
        {"bare vertex list", kFace012 + Full(0), {0, 1, 2}, {0, 1, 2}, ""},
        {"bare vertex lists, faces as written", kFace012 + Full(0) + "<face v1=\"3\" v2=\"4\" v3=\"5\" />\n" + Full(3),
         {0, 1, 2, 3, 4, 5}, {0, 1, 2, 3, 4, 5}, ""},
        {"buffers outside geometry follow each other", kFace012 + Buffer(Full(0)) + Buffer(Full(3)),
         {0, 1, 2, 3, 4, 5}, {0, 1, 2}, ""},
        {"blank before the end of a vertex tag", kFace012 + "<vertex>\n" + Pos(5, 0, 0) + "</vertex >\n" + Full(0),
         {5, 0, 1, 2}, {0, 1, 2}, ""},
        // As Ogre's tools write them.
        {"one buffer of shared geometry",
         MeshFile(GeometryXml("sharedgeometry", Buffer(Full(0))) + Submesh("A", true, Faces(kFace012))),
         {0, 1, 2}, {0, 1, 2}, "A"},
        {"two buffers of shared geometry",
         MeshFile(GeometryXml("sharedgeometry", Buffer(Positions(0)) + Buffer(TexCoords(0))) +
                  Submesh("A", true, Faces(kFace012))),
         {0, 1, 2}, {0, 1, 2}, "A"},
        {"two sub-meshes with geometry of their own, two buffers each",
         MeshFile(Submesh("A", false, Faces(kFace012) + GeometryXml("geometry", Buffer(Positions(0)) + Buffer(TexCoords(0)))) +
                  Submesh("B", false, Faces(kFace012) + GeometryXml("geometry", Buffer(Positions(3)) + Buffer(TexCoords(3))))),
         {0, 1, 2, 3, 4, 5}, {0, 1, 2, 3, 4, 5}, "A"},
        {"shared geometry, then a sub-mesh of its own between shared ones",
         MeshFile(GeometryXml("sharedgeometry", Buffer(Full(0))) + Submesh("A", true, Faces(kFace012)) +
                  Submesh("B", false, Faces("<face v1=\"2\" v2=\"1\" v3=\"0\" />\n") + GeometryXml("geometry", Buffer(Full(3)))) +
                  Submesh("C", true, Faces("<face v1=\"1\" v2=\"2\" v3=\"0\" />\n"))),
         {0, 1, 2, 3, 4, 5}, {0, 1, 2, 5, 4, 3, 1, 2, 0}, "A"},
        {"geometry before the faces",
         MeshFile(Submesh("A", false, GeometryXml("geometry", Buffer(Full(0)))) +
                  Submesh("B", false, GeometryXml("geometry", Buffer(Full(3))) + Faces(kFace012))),
         {0, 1, 2, 3, 4, 5}, {3, 4, 5}, "A"},
        {"level of detail", MeshFile(GeometryXml("sharedgeometry", Buffer(Full(0))) + Submesh("A", true, Faces(kFace012)) + lod),
         {0, 1, 2}, {0, 1, 2}, "A"},
        {"sub-mesh without the usesharedvertices attribute keeps its indices",
         MeshFile(GeometryXml("sharedgeometry", Buffer(Full(0))) +
                  "<submesh material=\"A\">\n" + Faces(kFace012) + "</submesh>\n"),
         {0, 1, 2}, {0, 1, 2}, "A"},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(row.what);
        TriangleMesh mesh;
        std::string material = "unset";
        ASSERT_TRUE(Loader::LoadMesh(m_folder.Write("t.mesh.xml", row.text), &mesh, &material));
        EXPECT_EQ(row.material, material);
        const std::vector<VT_PosNorTexTan> v = Records<VT_PosNorTexTan>(static_cast<TestVb*>(mesh.GetVertexBuffer())->bytes);
        ASSERT_EQ(row.xs.size(), v.size());
        for (size_t i = 0; i < v.size(); ++i) {
            ExpectNear(v[i].pos, row.xs[i], 0, 0);
            if (row.xs[i] < 5) { // the lone vertex at 5 has no texture coordinate
                EXPECT_NEAR(row.xs[i] / 10.0f, v[i].tex0.x, 1e-6f) << "vertex " << i;
            }
        }
        EXPECT_EQ(row.indices, Records<std::uint32_t>(static_cast<TestIb*>(mesh.GetIndexBuffer())->bytes));
    }
}

TEST_F(OgreXmlMeshReaderTest, TagNamesMatchWholeAndEveryTagOfALineCounts)
{
    ASSERT_TRUE(Load(m_folder.Write("m.mesh.xml",
                                    "<faces count=\"9\">\n<positions x=\"90\" y=\"90\" z=\"90\" />\n"
                                    "<face v1=\"2\" v2=\"1\" v3=\"0\" /><position x=\"50\" y=\"50\" z=\"50\" />\n</faces>\n" +
                                        std::string(kTriangle) + "<position x=\"-4\" y=\"0\" z=\"0\" />\n")));
    EXPECT_EQ((std::vector<std::uint32_t>{2, 1, 0, 0, 1, 2}), Indices());
    EXPECT_EQ(3u, Vertices().size());
    // The positions that belong to no vertex still widen the bound, the one
    // beside the face too; the "<positions" element does not.
    ExpectNear(Bound().GetCenter(), 23, 25, 25);
}

TEST_F(OgreXmlMeshReaderTest, MalformedOrMissingFilesAreRejectedWithTheFileNamedInTheError)
{
    const std::string v = "<vertex>\n<position x=\"0\" y=\"0\" z=\"0\" />\n</vertex>\n";
    const std::string three = v + v + v;
    const std::string tree = ModelTestFiles::ReadText(SceneDir() + "Tree.mesh.xml");
    const struct
    {
        const char* what;
        std::string text;
        const char* reason; // part of the error
    } table[] = {
        {"empty file", "", "is empty"},
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
        {"position cut inside a value", three + "<position x=\"1\" y=\"2\" z=\"3", "ends inside an element (cut short?)"},
        {"attribute name at the line end", "<face v1", "ends inside an element"},
        {"normal not a number", three + "<normal x=\"0\" y=\"up\" z=\"0\" />\n", "y missing"},
        {"texcoord without v", three + "<texcoord u=\"0.5\" />\n", "v missing"},
        {"float out of range", "<position x=\"1e99\" y=\"0\" z=\"0\" />\n", "x missing"},
        {"text after a position value", three + "<position x=\"1.5abc\" y=\"0\" z=\"0\" />\n",
         "line 10: attribute x missing or not a number"},
        {"fraction as a face index", "<face v1=\"0\" v2=\"1.0\" v3=\"2\" />\n" + three, "v2 missing or not a number"},
        // Cut inside the second vertex: faces name vertices that never come.
        {"file cut inside the vertex list", tree.substr(0, tree.find("<position x=\"1\" y=\"0\" z=\"-1\" />")),
         "ends inside an element"},
        {"binary junk", std::string("\x00\xff<face \x01\x02", 9), "starts with a NUL character"},
        {"second buffer shorter",
         MeshFile(GeometryXml("sharedgeometry", Buffer(Positions(0)) + Buffer(MeshVertex(Tex(0, 0)))) +
                  Submesh("A", true, Faces(kFace012))),
         "vertex buffer 2 of a geometry holds 1 vertices, the first 3"},
        {"second buffer longer",
         MeshFile(GeometryXml("sharedgeometry", Buffer(Positions(0)) + Buffer(TexCoords(0) + TexCoords(0)))),
         "holds more vertices than the first, 3"},
        // Inside the vertex list, but in the next sub-mesh's geometry.
        {"face past its sub-mesh's geometry",
         MeshFile(Submesh("A", false, Faces("<face v1=\"0\" v2=\"1\" v3=\"3\" />\n") +
                                          GeometryXml("geometry", Buffer(Full(0)))) +
                  Submesh("B", false, Faces(kFace012) + GeometryXml("geometry", Buffer(Full(3))))),
         "face 0 of sub-mesh 1 uses vertex 3 of its geometry's 3"},
        {"empty value, line named", kTriangle + std::string("<vertex>\n<position x=\"1\" y=\"\" z=\"0\" />\n</vertex>\n"),
         "line 18: attribute y missing or not a number"},
        {"closing tag of another element", kTriangle + std::string("<vertex>\n</vertx>\n"),
         "XML error: invalid closing tag name on line 18"},
        {"nested too deep", Replaced(std::string(257, '#'), "#", "<mesh>"), "elements nested deeper than 256 levels"},
        {"usesharedvertices neither true nor false",
         "<submesh material=\"A\" usesharedvertices=\"maybe\">\n" + Faces(kFace012) + "</submesh>\n" + three,
         "line 1: usesharedvertices=\"maybe\" is neither true nor false"},
        // Whole faces and vertices, but the file ends before its mesh does.
        {"mesh element not closed",
         CutBeforeEnd(MeshFile(GeometryXml("sharedgeometry", Buffer(Full(0))) + Submesh("A", true, Faces(kFace012)))),
         "ends inside an element"},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(row.what);
        TriangleMesh mesh;
        const std::string path = m_folder.Write("bad.mesh.xml", row.text);
        CoutCapture out;
        std::string error;
        EXPECT_FALSE(Loader::LoadMesh(path, &mesh, nullptr, &error));
        EXPECT_FALSE(mesh.IsCreated());
        EXPECT_TRUE(mesh.GetVertexBuffer() == 0);
        EXPECT_EQ(0u, error.find(path + ": ")) << error;
        EXPECT_NE(std::string::npos, error.find(row.reason)) << error;
        // The caller reports it: the reader says nothing itself.
        EXPECT_EQ("", out.Text());
    }

    std::string error;
    EXPECT_FALSE(Loader::LoadMesh(m_folder.Path("Nothing.mesh.xml"), &m_mesh, nullptr, &error));
    EXPECT_FALSE(m_mesh.IsCreated());
    EXPECT_TRUE(m_mesh.GetVertexBuffer() == 0);
    EXPECT_EQ(m_folder.Path("Nothing.mesh.xml") + ": cannot open", error);
}

namespace {

// The text without the line breaks (and the indentation after them) before
// the tags that begin with one of `tags`, or before every tag.
std::string JoinLines(const std::string& text, const std::vector<std::string>& tags)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        const size_t next = text[i] == '\n' ? text.find_first_not_of(" \t", i + 1) : std::string::npos;
        const auto starts = [&](const std::string& tag) { return text.compare(next, tag.size(), tag) == 0; };
        if (next != std::string::npos && (tags.empty() || std::any_of(tags.begin(), tags.end(), starts)))
            i = next - 1;
        else
            out += text[i];
    }
    return out;
}

} // namespace

// Tools write valid XML in any line layout; the reader takes the same mesh
// from each.
TEST_F(OgreXmlMeshReaderTest, OneMeshInAnyLineLayoutGivesTheSameMesh)
{
    const struct
    {
        const char* what;
        std::string (*layout)(const std::string&);
    } layouts[] = {
        {"each vertex on one line",
         [](const std::string& t) { return JoinLines(t, {"<position", "<normal", "<texcoord", "</vertex"}); }},
        {"the whole file on one line", [](const std::string& t) { return JoinLines(t, {}); }},
        {"every attribute on a line of its own, CR LF",
         [](const std::string& t) {
             std::string out;
             bool inValue = false;
             for (char c : t) {
                 inValue = inValue != (c == '"');
                 out += c == ' ' && !inValue ? std::string("\r\n\t") : c == '\n' ? std::string("\r\n") : std::string(1, c);
             }
             return out;
         }},
        {"a comment beside each vertex",
         [](const std::string& t) {
             std::string out;
             for (size_t p = 0, next; p < t.size(); p = next) {
                 next = std::min(t.find("<vertex>", p + 1), t.size());
                 out += t.substr(p, next - p) + "<!-- <face v1=\"9\" v2=\"9\" v3=\"9\" /> </vertex> -->";
             }
             return out;
         }},
    };
    // Shared geometry in two buffers; geometries of their own; a level of detail.
    for (const char* file : {"Ground.mesh.xml", "Rock.mesh.xml", "Tree.mesh.xml"}) {
        TriangleMesh reference;
        std::string material;
        ASSERT_TRUE(Loader::LoadMesh(SceneDir() + file, &reference, &material));
        const std::string text = ModelTestFiles::ReadText(SceneDir() + file);
        for (const auto& layout : layouts) {
            SCOPED_TRACE(std::string(file) + ", " + layout.what);
            const std::string changed = layout.layout(text);
            ASSERT_NE(text, changed);
            TriangleMesh mesh;
            std::string changedMaterial, error;
            ASSERT_TRUE(Loader::LoadMesh(m_folder.Write("l.mesh.xml", changed), &mesh, &changedMaterial, &error))
                << error;
            EXPECT_EQ(material, changedMaterial);
            // Positions, normals, texture coordinates and tangents; faces.
            EXPECT_EQ(static_cast<TestVb*>(reference.GetVertexBuffer())->bytes,
                      static_cast<TestVb*>(mesh.GetVertexBuffer())->bytes);
            EXPECT_EQ(static_cast<TestIb*>(reference.GetIndexBuffer())->bytes,
                      static_cast<TestIb*>(mesh.GetIndexBuffer())->bytes);
        }
    }
}

namespace {

// Vertices as the project's own mesh files write them: x = first, first + 1, ...
std::string OwnVertices(int first, int count)
{
    std::string text;
    for (int x = first; x < first + count; ++x)
        text += "            <vertex>\n                <position x=\"" + std::to_string(x) + "\" y=\"0\" z=\"" +
                std::to_string(x % 2) + "\" />\n                <normal x=\"0\" y=\"1\" z=\"0\" />\n                "
                "<texcoord u=\"" + std::to_string(x * 0.25) + "\" v=\"" + std::to_string(x % 3 * 0.5) +
                "\" />\n            </vertex>\n";
    return text;
}
std::string OwnBuffer(int first, int count)
{
    return "        <vertexbuffer positions=\"true\" normals=\"true\" texture_coord_dimensions_0=\"2\" texture_coords=\"1\">\n" +
           OwnVertices(first, count) + "        </vertexbuffer>\n";
}
std::string OwnSubmesh(const std::string& material, const std::string& shared, const std::string& rest)
{
    return "        <submesh material=\"" + material + "\" usesharedvertices=\"" + shared +
           "\" use32bitindexes=\"false\" operationtype=\"triangle_list\">\n            <faces count=\"2\">\n"
           "                <face v1=\"0\" v2=\"1\" v3=\"2\" />\n                <face v1=\"2\" v2=\"1\" v3=\"0\" />\n"
           "            </faces>\n" + rest + "        </submesh>\n";
}
// Four vertices shared by the faces of a sub-mesh; two sub-meshes with
// geometry of their own.
const std::string kOwnShared = "<mesh>\n    <sharedgeometry vertexcount=\"4\">\n" + OwnBuffer(0, 4) +
                               "    </sharedgeometry>\n    <submeshes>\n" + OwnSubmesh("Rock", "true", "") +
                               "    </submeshes>\n</mesh>\n";
const std::string kOwnTwoGeometries =
    "<mesh>\n    <submeshes>\n" +
    OwnSubmesh("Rock", "false", "<geometry vertexcount=\"3\">\n" + OwnBuffer(0, 3) + "</geometry>\n") +
    OwnSubmesh("Moss", "false", "<geometry vertexcount=\"3\">\n" + OwnBuffer(3, 3) + "</geometry>\n") +
    "    </submeshes>\n</mesh>\n";

// Every v="..." of the text as `to`.
std::string EveryV(std::string text, const std::string& to)
{
    for (size_t at = text.find(" v=\""); at != std::string::npos; at = text.find(" v=\"", at + to.size()))
        text.replace(at, text.find('"', at + 4) + 1 - at, to);
    return text;
}
// A second set after each vertex's first.
std::string SecondSet(const std::string& own)
{
    return Replaced(Replaced(own, "\" />\n            </vertex>", "\" /><texcoord u=\"0.9\" v=\"0.1\" />\n</vertex>"),
                    "texture_coords=\"1\"", "texture_coords=\"2\" texture_coord_dimensions_1=\"2\"");
}

} // namespace

// Exporters write well-formed XML in forms of their own: each reads as the
// same mesh in the project's own layout.
TEST_F(OgreXmlMeshReaderTest, ExportersFormsReadAsTheProjectsOwn)
{
    struct Row
    {
        std::string what;
        std::string text;
        std::string own;
        const char* material;
    };
    std::vector<Row> table = {
        {"single quotes", Replaced(kOwnShared, "\"", "'"), kOwnShared, "Rock"},
        {"blanks around =", Replaced(kOwnShared, "=\"", " =\t\""), kOwnShared, "Rock"},
        {"processing instruction with an apostrophe", "<?exporter don't edit by hand?>\n" + kOwnShared, kOwnShared, "Rock"},
        {"declaration, comment and CDATA",
         "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n" +
             Replaced(kOwnShared, "<submeshes>", "<!-- <face v1=\"3\" v2=\"2\" v3=\"1\" /> --><![CDATA[</vertex>]]><submeshes>"),
         kOwnShared, "Rock"},
        {"character references", Replaced(Replaced(kOwnShared, "x=\"1\"", "x=\"&#49;\""), "\"0.250000\"", "\"0&#x2E;25\""),
         kOwnShared, "Rock"},
        {"entity in the material name", Replaced(kOwnShared, "\"Rock\"", "\"Rock&amp;Moss\""), kOwnShared, "Rock&Moss"},
        {"second texture coordinate set", SecondSet(kOwnShared), kOwnShared, "Rock"},
        {"second set in a buffer of its own",
         Replaced(kOwnShared, "</vertexbuffer>\n", "</vertexbuffer>\n<vertexbuffer texture_coords=\"1\">\n" +
                  Replaced(EveryV(OwnVertices(0, 4), " v=\"0.1\""), "u=\"", "u=\"9") + "</vertexbuffer>\n"),
         kOwnShared, "Rock"},
        {"one-dimensional set",
         EveryV(Replaced(kOwnShared, "dimensions_0=\"2\"", "dimensions_0=\"1\""), ""), EveryV(kOwnShared, " v=\"0\""),
         "Rock"},
    };
    for (const std::string no : {"False", "0", "NO", "off"})
        table.push_back({"usesharedvertices " + no, Replaced(kOwnTwoGeometries, "\"false\"", "\"" + no + "\""),
                         kOwnTwoGeometries, "Rock"});
    for (const std::string yes : {"TRUE", "1", "Yes", "on"})
        table.push_back({"usesharedvertices " + yes, Replaced(kOwnShared, "\"true\" use32", "\"" + yes + "\" use32"),
                         kOwnShared, "Rock"});
    for (const auto& row : table) {
        SCOPED_TRACE(row.what);
        TriangleMesh own, mesh;
        std::string ownMaterial, material, error;
        ASSERT_TRUE(Loader::LoadMesh(m_folder.Write("own.mesh.xml", row.own), &own, &ownMaterial, &error)) << error;
        if (!Loader::LoadMesh(m_folder.Write("t.mesh.xml", row.text), &mesh, &material, &error)) {
            ADD_FAILURE() << error;
            continue;
        }
        EXPECT_EQ(row.material, material);
        // Counts, positions, normals, texture coordinates and tangents; faces.
        EXPECT_EQ(static_cast<TestVb*>(own.GetVertexBuffer())->bytes, static_cast<TestVb*>(mesh.GetVertexBuffer())->bytes);
        EXPECT_EQ(static_cast<TestIb*>(own.GetIndexBuffer())->bytes, static_cast<TestIb*>(mesh.GetIndexBuffer())->bytes);
    }
}
