#include "CoutCapture.h"
#include "MathExpect.h"
#include "ModelTestFiles.h"
#include "RecordingRenderer.h"
#include "TempFolder.h"

#include "Core/Rendering/IMaterialEffect.h"
#include "Core/Rendering/IVertexBuffer.h"
#include "Core/Scenegraph/BoundingVolume.h"
#include "Core/Scenegraph/CameraNode.h"
#include "Core/Scenegraph/Model.h"
#include "Core/Scenegraph/Node.h"
#include "Core/Scenegraph/TransformController.h"
#include "Core/Scenegraph/mesh/TriangleMesh.h"
#include "Core/Scenegraph/model/ModelImporter.h"
#include "Core/Scenegraph/model/OgreXmlModelLoader.h"
#include "Core/Scenegraph/model/XmlNesting.h"
#include "Core/Util/QuitRequest.h"
#include "RenderGL/effects/GLMaterialEffect.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace Vorm;
using MathExpect::ExpectNear;
using ModelTestFiles::ReadText;
using ModelTestFiles::SceneDir;

namespace {

// Where the transform takes a direction.
Vector3<float> Turn(const Transform& t, float x, float y, float z)
{
    const Vector4<float> v = t.Apply(Vector4<float>(x, y, z, 0.0f));
    return Vector3<float>(v.x, v.y, v.z);
}

template <typename T>
T* ChildAs(const Node& node, int index)
{
    return index < node.GetChildCount() ? dynamic_cast<T*>(node.GetChild(index).get()) : 0;
}

class OgreXmlSceneLoaderTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_folder.Ok()); }

    // The Valley files in the temp folder, plus the given scene text as
    // "S.scene" with Valley's materials.
    boost::shared_ptr<Model> LoadScene(const std::string& sceneText)
    {
        CopyValley(false);
        m_folder.Write("S.scene", sceneText);
        m_folder.Write("S.material", ReadText(SceneDir() + "Valley.material"));
        return m_loader.LoadFromFile(m_folder.Dir(), "S");
    }

    void CopyValley(bool crlf)
    {
        for (const char* f : {"Valley.scene", "Valley.material", "Ground.mesh.xml", "Rock.mesh.xml", "Tree.mesh.xml"}) {
            const std::string text = ReadText(SceneDir() + f);
            m_folder.Write(f, crlf ? ModelTestFiles::ToCrLf(text) : text);
        }
    }

    RecordingRenderer m_renderer;
    TempFolder m_folder;
    OgreXmlModelLoader m_loader;
};

// The Valley model as the test data describes it.
void ExpectValley(const Model& model)
{
    // Ground, Forest, the camera path; the bare Lamp leaf makes nothing.
    ASSERT_EQ(3, model.GetChildCount());
    TriangleMesh* ground = ChildAs<TriangleMesh>(model, 0);
    Node* forest = ChildAs<Node>(model, 1);
    CameraNode* path = ChildAs<CameraNode>(model, 2);
    ASSERT_TRUE(ground && forest && path);
    ASSERT_EQ(3, forest->GetChildCount());
    TriangleMesh* shape = ChildAs<TriangleMesh>(*forest, 0);
    TriangleMesh* tree1 = ChildAs<TriangleMesh>(*forest, 1);
    TriangleMesh* tree2 = ChildAs<TriangleMesh>(*forest, 2);
    ASSERT_TRUE(shape && tree1 && tree2);
    EXPECT_EQ((std::vector<std::string>{"<ModelRoot: Valley>", "<Geometry: Ground>", "<Node: Forest>",
                                        "<NodeShape : Forest>", "<Geometry: Tree1>", "<Geometry: Tree2>", ""}),
              (std::vector<std::string>{model.GetName(), ground->GetName(), forest->GetName(), shape->GetName(),
                                        tree1->GetName(), tree2->GetName(), path->GetName()}));

    EXPECT_EQ(4u, ground->GetVertexBuffer()->GetCount());
    ASSERT_TRUE(ground->GetMaterialEffect() != 0);
    ExpectNear(ground->GetMaterialEffect()->GetDiffuseColor(), 0.8f, 0.9f, 0.7f, 1);

    ExpectNear(forest->Local().GetTranslation(), 10, 0, -5);
    ExpectNear(Turn(forest->Local(), 1, 0, 0), 0, 0, -2, 1e-4f); // 90 degrees about +y, scale 2
    EXPECT_FLOAT_EQ(2.0f, forest->Local().GetScale());

    EXPECT_TRUE(shape->Local().IsIdentity());
    EXPECT_EQ(6u, shape->GetVertexBuffer()->GetCount());
    ExpectNear(shape->GetMaterialEffect()->GetSpecularColor(), 0.2f, 0.2f, 0.2f, 1);

    ExpectNear(tree1->Local().GetTranslation(), 1, 0, 0);
    ExpectNear(tree2->Local().GetTranslation(), -1, 0, 2);
    ExpectNear(Turn(tree2->Local(), 1, 0, 0), 0.70710678f, 0.70710678f, 0, 1e-4f); // 45 degrees about +z
    EXPECT_EQ(tree1->GetMaterialEffect(), tree2->GetMaterialEffect());
    EXPECT_FALSE(ground->GetController() || forest->GetController() || tree1->GetController());

    boost::shared_ptr<TransformController> sway = tree2->GetController();
    ASSERT_TRUE(sway != 0);
    ASSERT_EQ(2u, sway->GetKeyframeCount());
    // The first key frame is the pose until 0.5 s; then the second.
    ExpectNear(sway->GetTransform().GetTranslation(), -1, 0, 2);
    sway->Update(0.6);
    ExpectNear(sway->GetTransform().GetTranslation(), -1, 0.5f, 2); // from <translation>
    sway->Reset();

    EXPECT_TRUE(path->Local().IsIdentity());
    ASSERT_TRUE(path->GetController() != 0);
    EXPECT_EQ(3u, path->GetController()->GetKeyframeCount());
}

} // namespace

TEST_F(OgreXmlSceneLoaderTest, ValleyBuildsTheNodeTreeAndLoadsTwiceIndependently)
{
    boost::shared_ptr<Model> first = OgreXmlModelLoader().LoadFromFile(SceneDir(), "Valley");
    ASSERT_TRUE(first != 0);
    ASSERT_NO_FATAL_FAILURE(ExpectValley(*first));
    // Every texture file once: grass, rock, its normal map, bark.
    EXPECT_EQ(4u, m_renderer.Find("Tex.CreateFromFile").size());

    // The camera path 2.5 s on: past its key frames of 0 s and 2 s.
    boost::shared_ptr<TransformController> fly = first->GetChild(2)->GetController();
    fly->Update(2.5);
    ExpectNear(fly->GetTransform().GetTranslation(), 0, 8, -20);
    ExpectNear(Turn(fly->GetTransform(), 1, 0, 0), -1, 0, 0, 1e-4f); // qy = 1: half turn

    ModelImporter importer;
    importer.SetPath(SceneDir());
    boost::shared_ptr<Model> second = importer.Load(0, "Valley");
    ASSERT_TRUE(second != 0);
    ASSERT_NO_FATAL_FAILURE(ExpectValley(*second));
    // New meshes and materials, but the textures come from the renderer's cache.
    TriangleMesh* g1 = ChildAs<TriangleMesh>(*first, 0);
    TriangleMesh* g2 = ChildAs<TriangleMesh>(*second, 0);
    EXPECT_NE(g1, g2);
    EXPECT_NE(g1->GetMaterialEffect(), g2->GetMaterialEffect());
    EXPECT_EQ(g1->GetMaterialEffect()->GetDiffuseTexture(), g2->GetMaterialEffect()->GetDiffuseTexture());
    EXPECT_EQ(4u, m_renderer.Find("Tex.CreateFromFile").size());

    std::string error;
    EXPECT_FALSE(importer.Load(1, "Valley", &error));
    EXPECT_EQ("no loader of type 1", error);
    EXPECT_FALSE(importer.Load(-1, "Valley"));
}

TEST_F(OgreXmlSceneLoaderTest, CrLfFilesReadLikeLf)
{
    CopyValley(true);
    boost::shared_ptr<Model> model = OgreXmlModelLoader().LoadFromFile(m_folder.Dir(), "Valley");
    ASSERT_TRUE(model != 0);
    ASSERT_NO_FATAL_FAILURE(ExpectValley(*model));
    const IMaterialEffect* stone = ChildAs<TriangleMesh>(*ChildAs<Node>(*model, 1), 0)->GetMaterialEffect().get();
    EXPECT_EQ(stone->GetNormalMap(), m_renderer.GetResourceMap().Find("rock_n.tga"));
    EXPECT_TRUE(m_renderer.GetResourceMap().Find("bark.tga") != 0);
}

TEST_F(OgreXmlSceneLoaderTest, MissingMaterialOrSceneFileGivesNoModelAndNamesTheFile)
{
    CopyValley(false);
    OgreXmlModelLoader loader;
    CoutCapture out;
    EXPECT_FALSE(loader.LoadFromFile(m_folder.Dir(), "Nowhere"));
    EXPECT_EQ(m_folder.Path("Nowhere.material") + ": cannot open", loader.GetError());
    m_folder.Write("Lonely.material", ReadText(SceneDir() + "Valley.material"));
    EXPECT_FALSE(loader.LoadFromFile(m_folder.Dir(), "Lonely"));
    EXPECT_EQ(m_folder.Path("Lonely.scene") + ": cannot open", loader.GetError());
    // A damaged material file stops the scene before it is read.
    m_folder.Write("Valley.material", ReadText(SceneDir() + "Valley.material") + "}\n");
    ModelImporter importer;
    importer.SetPath(m_folder.Dir());
    std::string error;
    EXPECT_FALSE(importer.Load(0, "Valley", &error));
    EXPECT_NE(std::string::npos, error.find(m_folder.Path("Valley.material") + ": line ")) << error;
    // The caller reports; the loader says nothing itself.
    EXPECT_EQ("", out.Text());

    // A success leaves no error behind.
    CopyValley(false);
    EXPECT_TRUE(loader.LoadFromFile(m_folder.Dir(), "Valley"));
    EXPECT_EQ("", loader.GetError());
}

TEST_F(OgreXmlSceneLoaderTest, AQuitStopsTheLoadBetweenMeshFiles)
{
    // Pending from the second question on: the first mesh is read, the
    // second never opened.
    static int questions;
    questions = 0;
    QuitRequest::Register([] { return ++questions > 1; });
    CopyValley(false);
    OgreXmlModelLoader loader;
    CoutCapture out;
    const boost::shared_ptr<Model> model = loader.LoadFromFile(m_folder.Dir(), "Valley");
    QuitRequest::Register(nullptr);
    EXPECT_FALSE(model);
    EXPECT_EQ(2, questions);
    EXPECT_EQ(1u, m_renderer.Find("CreateVertexBuffer").size());
    EXPECT_NE(std::string::npos, loader.GetError().find("loading stopped: the program is ending")) << loader.GetError();
    EXPECT_EQ("", out.Text());
}

namespace {

const std::string kPos = "<position x=\"0\" y=\"0\" z=\"0\" />\n";
const std::string kRot = "<rotation qx=\"0\" qy=\"0\" qz=\"0\" qw=\"1\" />\n";
const std::string kPose = kPos + kRot;
const std::string kNoMeshFile = "<entity name=\"Rock\" />\n";

std::string Scene(const std::string& nodes)
{
    return "<scene>\n<environment />\n<nodes>\n" + nodes + "</nodes>\n</scene>\n";
}

// A <node>, without a label when none is given.
std::string SceneNode(const std::string& label, const std::string& body)
{
    return (label.empty() ? std::string("<node>\n") : "<node name=\"" + label + "\">\n") + body + "</node>\n";
}

std::string Entity(const std::string& mesh, const std::string& material)
{
    return "<entity meshFile=\"" + mesh + "\">\n<subentities>\n<subentity materialName=\"" + material +
           "\" />\n</subentities>\n</entity>\n";
}

std::string Animation(const std::string& keys)
{
    return "<animations>\n<animation>\n" + keys + "</animation>\n</animations>\n";
}

} // namespace

TEST_F(OgreXmlSceneLoaderTest, OddButReadableScenesLoad)
{
    CoutCapture out;
    const std::string rock = Entity("Rock.mesh", "Stone");
    boost::shared_ptr<Model> model = LoadScene(Scene(
        // Elements before the first <node> are skipped, those after it read.
        "<item name=\"Before\">\n" + kPose + rock + "</item>\n" +
        // Rotation attributes go by name, not order: the identity.
        SceneNode("R", kPos + "<rotation qw=\"1\" qx=\"0\" qy=\"0\" qz=\"0\" />\n" + rock) + "some text\n" +
        "<item name=\"After\">\n" + kPose + Entity("Tree.mesh", "Bark") + "</item>\n" +
        // An animated leaf needs no label; a mesh leaf takes the animation.
        SceneNode("", Animation("<k t=\"1\">\n" + kPose + "</k>\n")) +
        SceneNode("M", kPose + rock + Animation("<k t=\"1\">\n" + kPose + "</k>\n")) +
        // An empty sub-entity list names no material: the mesh has none.
        SceneNode("NoSub", kPose + "<entity meshFile=\"Rock.mesh\">\n<subentities />\n</entity>\n")));
    ASSERT_TRUE(model != 0) << m_loader.GetError();
    ASSERT_EQ(5, model->GetChildCount());
    EXPECT_EQ("<Geometry: R>", model->GetChild(0)->GetName());
    ExpectNear(Turn(model->GetChild(0)->Local(), 0, 1, 0), 0, 1, 0, 1e-5f);
    EXPECT_EQ("<Geometry: After>", model->GetChild(1)->GetName());
    EXPECT_TRUE(ChildAs<CameraNode>(*model, 2) != 0);
    ASSERT_TRUE(ChildAs<TriangleMesh>(*model, 3) != 0);
    ASSERT_TRUE(model->GetChild(3)->GetController() != 0);
    EXPECT_EQ(1u, model->GetChild(3)->GetController()->GetKeyframeCount());
    EXPECT_EQ("<Geometry: NoSub>", model->GetChild(4)->GetName());
    EXPECT_FALSE(ChildAs<TriangleMesh>(*model, 4)->GetMaterialEffect());
    EXPECT_EQ("", out.Text());
}

TEST_F(OgreXmlSceneLoaderTest, MalformedScenesGiveNoModelNameTheFileAndLeaveNothingBehind)
{
    struct Malformed
    {
        const char* what;
        std::string text;
        std::string reason; // part of the error
    };
    m_folder.Write("Broken.mesh.xml", "<face v1=\"0\" v2=\"1\" v3=\"2\" />\n");
    std::string tree = ReadText(SceneDir() + "Tree.mesh.xml");
    tree.replace(tree.find("material=\"Bark\""), 15, "material=\"Gold\"");
    m_folder.Write("Gold.mesh.xml", tree);
    const std::string valley = ReadText(SceneDir() + "Valley.scene");
    const std::string rock = Entity("Rock.mesh", "Stone");
    const Malformed files[] = {
        {"empty file", "", "no <nodes> element"},
        {"not XML", "scene: nodes", "XML error"},
        {"cut in half", valley.substr(0, valley.size() / 2), "XML error"},
        {"cut inside a tag", valley.substr(0, valley.find("meshFile=\"Rock") + 12), "XML error"},
        {"element never closed", "<scene>\n<a />\n<nodes>\n<node name=\"x\">\n", "XML error"},
        {"tag never closed", "<scene>\n<a />\n<nodes>\n<node name=\"x\"\n</nodes>\n</scene>\n", "on line 5"},
        {"NUL inside", std::string("<scene>\n<a />\n<nodes>\0</nodes></scene>", 38), "XML error: "},
        {"root without children", "<scene />", "no <nodes> element"},
    };
    // The content of a well-formed <nodes> list.
    const std::string key = "<position x=\"1\" y=\"2\" z=\"3\" />\n" + kRot;
    const Malformed nodes[] = {
        {"inner node without label", SceneNode("", kPose + SceneNode("C", kPose + rock)), "<node> has no label"},
        {"mesh leaf without label", SceneNode("", kPose + rock), "<node> has no label"},
        {"position with two values", SceneNode("L", "<position x=\"0\" y=\"0\" />\n" + kRot + rock),
         "<position> needs three numbers"},
        {"rotation with three values", SceneNode("L", kPos + "<rotation qx=\"0\" qy=\"0\" qz=\"0\" />\n" + rock),
         "<rotation> needs four numbers"},
        {"quaternion with three values", SceneNode("L", kPos + "<quaternion x=\"0\" y=\"0\" z=\"0\" />\n" + rock),
         "<node> \"L\": <quaternion> needs four numbers"},
        {"position not a number", SceneNode("L", "<translation x=\"0\" y=\"up\" z=\"0\" />\n" + kRot + rock),
         "<translation> needs three numbers"},
        {"entity without meshFile", SceneNode("L", kPose + "<entity name=\"x\">\n<subentities />\n</entity>\n"),
         "<entity> has no meshFile"},
        {"subentity without material",
         SceneNode("L", kPose + "<entity meshFile=\"Rock.mesh\">\n<subentities>\n<subentity />\n"
                                "</subentities>\n</entity>\n"),
         "<subentity> has no material name"},
        {"animation without key frames", SceneNode("A", "<animations>\n<animation name=\"x\" />\n</animations>\n"),
         "<animation> has no key frame"},
        {"key frame without time", SceneNode("A", Animation("<keyframe>\n" + key + "</keyframe>\n")),
         "key frame <keyframe> has no time"},
        {"key frame time not a number", SceneNode("A", Animation("<keyframe time=\"soon\">\n" + key + "</keyframe>\n")),
         "has no time"},
        {"text as a key frame", SceneNode("A", Animation("soon\n")), "key frame <text> has no time"},
        {"fault deep in the tree",
         SceneNode("A", kPose + SceneNode("B", kPose + SceneNode("C", kPose + kNoMeshFile))),
         "<node> \"C\": <entity> has no meshFile"},
        {"fault after a good subtree", SceneNode("Good", kPose + rock) + SceneNode("Bad", kPose + kNoMeshFile),
         "<node> \"Bad\": <entity> has no meshFile"},
        // Files the scene names that are not there or do not load.
        {"mesh file missing", SceneNode("Gone", kPose + Entity("Missing.mesh", "Stone")),
         "<node> \"Gone\" names the mesh file " + m_folder.Path("Missing.mesh.xml") + ": cannot open"},
        {"mesh file broken", SceneNode("Bad", kPose + Entity("Broken.mesh", "Stone")),
         "<node> \"Bad\" names the mesh file " + m_folder.Path("Broken.mesh.xml") + ": no vertex"},
        {"material not in the file", SceneNode("R", kPose + Entity("Rock.mesh", "Unknown")),
         "<node> \"R\" names the material \"Unknown\", which " + m_folder.Path("S.material") + " does not define"},
        {"mesh's own material not in the file", SceneNode("R", kPose + "<entity meshFile=\"Gold.mesh\" />\n"),
         "names the material \"Gold\""},
        // Named forms that cannot be honoured, values that are no rotation,
        // numbers with text after them.
        {"Euler angles as x y z", SceneNode("L", "<rotation x=\"0\" y=\"1.5\" z=\"0\" />\n" + rock),
         "<node> \"L\": <rotation> needs four numbers (x, y, z and w): Euler angles are not read"},
        {"Euler angles by name",
         SceneNode("L", "<rotation heading=\"0\" pitch=\"1\" roll=\"0\" bank=\"0\" />\n" + rock),
         "<node> \"L\": <rotation> holds Euler angles, which are not read"},
        {"axis of no length", SceneNode("L", "<rotation angle=\"1\" axisX=\"0\" axisY=\"0\" axisZ=\"0\" />\n" + rock),
         "<node> \"L\": <rotation> has an axis of no length"},
        {"zero quaternion", SceneNode("L", "<rotation qx=\"0\" qy=\"0\" qz=\"0\" qw=\"0\" />\n" + rock),
         "<node> \"L\": <rotation> is of (near) zero length"},
        {"zero quaternion in a key frame",
         SceneNode("A", rock + Animation("<k t=\"0.5\">\n<quaternion x=\"0\" y=\"0\" z=\"0\" w=\"0\" />\n</k>\n")),
         "<node> \"A\": key frame <k> \"0.5\": <quaternion> is of (near) zero length"},
        {"scale of zero", SceneNode("L", "<scale x=\"0\" y=\"0\" z=\"0\" />\n" + rock),
         "<node> \"L\": <scale> needs a value above zero"},
        {"text after a value", SceneNode("L", "<position x=\"1.5abc\" y=\"0\" z=\"0\" />\n" + rock),
         "<node> \"L\": <position> needs three numbers"},
        {"comma in a value", SceneNode("L", "<quaternion x=\"0\" y=\"0\" z=\"0\" w=\"0.7071,5\" />\n" + rock),
         "<node> \"L\": <quaternion> needs four numbers"},
        {"text after a time", SceneNode("A", Animation("<k t=\"0.5s\">\n" + key + "</k>\n")),
         "key frame <k> \"0.5s\" has no time"},
    };
    const auto expectRejected = [this](const Malformed& row, const std::string& text) {
        SCOPED_TRACE(row.what);
        CoutCapture out;
        EXPECT_FALSE(LoadScene(text));
        const std::string& error = m_loader.GetError();
        EXPECT_EQ(0u, error.find(m_folder.Path("S.scene") + ": ")) << error;
        EXPECT_NE(std::string::npos, error.find(row.reason)) << error;
        EXPECT_EQ("", out.Text());
        // Whatever was built before the fault goes with the model.
        EXPECT_EQ(m_renderer.Find("CreateVertexBuffer").size(), m_renderer.Find("VB.Destroy").size());
        EXPECT_EQ(m_renderer.Find("CreateIndexBuffer").size(), m_renderer.Find("IB.Destroy").size());
    };
    for (const Malformed& row : files)
        expectRejected(row, row.text);
    for (const Malformed& row : nodes)
        expectRejected(row, Scene(row.text));
    EXPECT_LT(0u, m_renderer.Find("VB.Destroy").size());
}

TEST_F(OgreXmlSceneLoaderTest, SceneShapesGiveTheirMeshesAndMaterials)
{
    // A mesh whose first sub-mesh names no material.
    std::string ground = ReadText(SceneDir() + "Ground.mesh.xml");
    ground.erase(ground.find("material=\"Grass\" "), 17);
    m_folder.Write("Bare.mesh.xml", ground);

    const std::string rock = SceneNode("R", kPose + Entity("Rock.mesh", "Grass"));
    const std::string bare = "<entity name=\"e\" meshFile=\"Rock.mesh\" />\n";
    const auto sub = [](const std::string& attributes) {
        return "<entity meshFile=\"Rock.mesh\">\n<subentities>\n<subentity " + attributes +
               " />\n</subentities>\n</entity>\n";
    };
    const std::vector<float> grass = {0.8f, 0.9f, 0.7f, 1}; // diffuse colours
    const std::vector<float> stone = {0.6f, 0.6f, 0.6f, 1};
    const struct
    {
        const char* what;
        std::string text;
        unsigned vertices;          // of the first mesh
        std::vector<float> diffuse; // of its material; empty for none
    } table[] = {
        // As read before.
        {"node list second", Scene(rock), 6, grass},
        {"node list after several children",
         "<scene>\n<environment />\n<externals />\n<nodes>\n" + rock + "</nodes>\n</scene>\n", 6, grass},
        {"empty sub-entity list: no material",
         Scene(SceneNode("R", kPose + "<entity meshFile=\"Rock.mesh\">\n<subentities />\n</entity>\n")), 6, {}},
        // As exporters write them.
        {"node list first", "<scene formatVersion=\"1.0\">\n<nodes>\n" + rock + "</nodes>\n<environment />\n</scene>\n",
         6, grass},
        {"node list alone", "<scene>\n<nodes>\n" + rock + "</nodes>\n</scene>\n", 6, grass},
        {"entity without sub-entities takes the mesh's material", Scene(SceneNode("R", kPose + bare)), 6, stone},
        {"the same on an inner node and its child",
         Scene(SceneNode("R", kPose + bare + SceneNode("C", kPose + bare))), 6, stone},
        {"mesh without material", Scene(SceneNode("R", kPose + "<entity meshFile=\"Bare.mesh\" />\n")), 4, {}},
        // The sub-entity's material by its name wherever it stands, else its
        // first attribute.
        {"materialName after index", Scene(SceneNode("R", kPose + sub("index=\"0\" materialName=\"Grass\""))), 6,
         grass},
        {"material under another name, first", Scene(SceneNode("R", kPose + sub("name=\"Grass\" index=\"0\""))), 6,
         grass},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(row.what);
        CoutCapture out;
        boost::shared_ptr<Model> model = LoadScene(row.text);
        ASSERT_TRUE(model != 0) << out.Text();
        EXPECT_EQ("", out.Text());
        ASSERT_EQ(1, model->GetChildCount());
        const TriangleMesh* mesh = ChildAs<TriangleMesh>(*model, 0);
        if (const Node* node = ChildAs<Node>(*model, 0)) {
            // The node's own mesh, then its child's, alike.
            ASSERT_EQ(2, node->GetChildCount());
            mesh = ChildAs<TriangleMesh>(*node, 0);
            ASSERT_TRUE(mesh && ChildAs<TriangleMesh>(*node, 1));
            EXPECT_EQ(mesh->GetMaterialEffect(), ChildAs<TriangleMesh>(*node, 1)->GetMaterialEffect());
        }
        ASSERT_TRUE(mesh != 0);
        EXPECT_EQ(row.vertices, mesh->GetVertexBuffer()->GetCount());
        if (row.diffuse.empty()) {
            EXPECT_FALSE(mesh->GetMaterialEffect());
        } else {
            ASSERT_TRUE(mesh->GetMaterialEffect() != 0);
            ExpectNear(mesh->GetMaterialEffect()->GetDiffuseColor(), row.diffuse[0], row.diffuse[1], row.diffuse[2],
                       row.diffuse[3]);
        }
    }
}

TEST_F(OgreXmlSceneLoaderTest, EntitiesOfOneMeshFileReadItOnceAndShareItsUploadTillTheLastGoes)
{
    // One file under two spellings, on a leaf, an inner node and its child.
    const std::string bare = "<entity meshFile=\"./Rock.mesh\" />\n";
    boost::shared_ptr<Model> model = LoadScene(Scene(
        SceneNode("A", kPose + Entity("Rock.mesh", "Grass")) + SceneNode("T", kPose + Entity("Tree.mesh", "Bark")) +
        SceneNode("B", kPose + bare + SceneNode("C", kPose + Entity("Rock.mesh", "Stone")))));
    ASSERT_TRUE(model != 0) << m_loader.GetError();
    EXPECT_EQ(2u, m_renderer.Find("CreateVertexBuffer").size());
    EXPECT_EQ(2u, m_renderer.Find("CreateIndexBuffer").size());
    const TriangleMesh* a = ChildAs<TriangleMesh>(*model, 0);
    const TriangleMesh* tree = ChildAs<TriangleMesh>(*model, 1);
    Node* b = ChildAs<Node>(*model, 2);
    ASSERT_TRUE(a && tree && b);
    TriangleMesh* own = ChildAs<TriangleMesh>(*b, 0);
    const TriangleMesh* c = ChildAs<TriangleMesh>(*b, 1);
    ASSERT_TRUE(own && c);
    for (const TriangleMesh* rock : {static_cast<const TriangleMesh*>(own), c}) {
        EXPECT_EQ(a->GetVertexBuffer(), rock->GetVertexBuffer());
        EXPECT_EQ(a->GetIndexBuffer(), rock->GetIndexBuffer());
        EXPECT_FLOAT_EQ(a->GetLocalBound()->GetRadius(), rock->GetLocalBound()->GetRadius());
    }
    EXPECT_NE(a->GetVertexBuffer(), tree->GetVertexBuffer());
    // Each entity keeps its own material: the sub-entity's, else the file's.
    ExpectNear(a->GetMaterialEffect()->GetDiffuseColor(), 0.8f, 0.9f, 0.7f, 1);
    ExpectNear(own->GetMaterialEffect()->GetDiffuseColor(), 0.6f, 0.6f, 0.6f, 1);
    EXPECT_EQ(own->GetMaterialEffect(), c->GetMaterialEffect());

    // The next scene reads its files again: the loader kept nothing.
    m_folder.Remove("Rock.mesh.xml");
    EXPECT_FALSE(m_loader.LoadFromFile(m_folder.Dir(), "S"));
    // The rocks' upload goes with the last of them, the tree's with the tree.
    RecordingRenderer::s_destroyedBuffers = 0;
    model->DetachChild(model->GetChild(0).get());
    b->DetachChild(own);
    EXPECT_EQ(0, RecordingRenderer::s_destroyedBuffers);
    EXPECT_EQ(6u, c->GetVertexBuffer()->GetCount());
    model->DetachChild(b);
    EXPECT_EQ(2, RecordingRenderer::s_destroyedBuffers);
    model.reset();
    EXPECT_EQ(4, RecordingRenderer::s_destroyedBuffers);
}

// Poses as other exporters write them: any part may be missing, and the
// orientation may come as <quaternion x y z w>.
TEST_F(OgreXmlSceneLoaderTest, PosesWithoutRotationOrPositionOrWithAQuaternionLoad)
{
    const std::string quarterY = "<quaternion x=\"0\" y=\"0.70710678\" z=\"0\" w=\"0.70710678\" />\n";
    const std::string rock = "<entity name=\"Rock\" meshFile=\"Rock.mesh\" castShadows=\"true\" />\n";
    CoutCapture out;
    boost::shared_ptr<Model> model = LoadScene(
        "<scene formatVersion=\"1.0.0\">\n<nodes>\n" +
        // The format's own example: no rotation.
        SceneNode("Robot", "<position x=\"10\" y=\"5\" z=\"10.5\" />\n<scale x=\"2\" y=\"2\" z=\"2\" />\n" + rock) +
        SceneNode("Q", quarterY + rock) +
        // <rotation> counts over <quaternion>: half a turn about x.
        SceneNode("Both", kPos + quarterY + "<rotation qx=\"1\" qy=\"0\" qz=\"0\" qw=\"0\" />\n" + rock) +
        "</nodes>\n</scene>\n");
    ASSERT_TRUE(model != 0) << m_loader.GetError();
    EXPECT_EQ("", out.Text());
    ASSERT_EQ(3, model->GetChildCount());
    const TriangleMesh* robot = ChildAs<TriangleMesh>(*model, 0);
    ASSERT_TRUE(robot && robot->GetMaterialEffect());
    ExpectNear(robot->Local().GetTranslation(), 10, 5, 10.5f);
    ExpectNear(Turn(robot->Local(), 1, 0, 0), 2, 0, 0, 1e-6f);
    EXPECT_FLOAT_EQ(2.0f, robot->Local().GetScale());

    ASSERT_TRUE(ChildAs<TriangleMesh>(*model, 1));
    ExpectNear(model->GetChild(1)->Local().GetTranslation(), 0, 0, 0);
    ExpectNear(Turn(model->GetChild(1)->Local(), 1, 0, 0), 0, 0, -1, 1e-5f);
    ExpectNear(Turn(model->GetChild(2)->Local(), 0, 1, 0), 0, -1, 0, 1e-5f);
}

namespace {

const std::string kRock = Entity("Rock.mesh", "Stone");
const std::string kHalf = "0.70710678";

// Where a pose takes the x and y axes, scale included.
struct Axes
{
    Vector3<float> x, y;
};
const Axes kSame = {{1, 0, 0}, {0, 1, 0}};
const Axes kQuarterY = {{0, 0, -1}, {0, 1, 0}};
const Axes kQuarterZ = {{0, 1, 0}, {-1, 0, 0}};
const Axes kHalfX = {{1, 0, 0}, {0, -1, 0}};

void ExpectPose(const Transform& t, const Vector3<float>& translation, const Axes& axes)
{
    ExpectNear(t.GetTranslation(), translation);
    ExpectNear(Turn(t, 1, 0, 0), axes.x, 1e-5f);
    ExpectNear(Turn(t, 0, 1, 0), axes.y, 1e-5f);
}

} // namespace

// Exporters write a pose's values in whatever order their XML writer keeps:
// names decide where there are names. Uneven scale is shown at its largest.
TEST_F(OgreXmlSceneLoaderTest, PoseValuesGoByNameAndUnnamedOnesByPlace)
{
    const struct
    {
        const char* what;
        std::string pose;
        Vector3<float> translation;
        Axes axes;
        std::string printed; // after "Scene file <path>: <node> "R": "
    } table[] = {
        {"position by name", "<position z=\"3\" y=\"2\" x=\" 1 \" />", {1, 2, 3}, kSame, ""},
        {"position, other names by place", "<translation c=\"1\" b=\"2\" a=\"3\" />", {1, 2, 3}, kSame, ""},
        {"qw first", "<rotation qw=\"" + kHalf + "\" qx=\"0\" qy=\"" + kHalf + "\" qz=\"0\" />", {}, kQuarterY, ""},
        {"w x y z: the identity", "<quaternion w=\"1\" x=\"0\" y=\"0\" z=\"0\" />", {}, kSame, ""},
        {"angle about an axis", "<rotation axisZ=\"0\" axisY=\"0\" axisX=\"2\" angle=\"3.14159265\" />", {},
         kHalfX, ""},
        {"rotation, other names by place", "<rotation a=\"0\" b=\"" + kHalf + "\" c=\"0\" d=\"" + kHalf + "\" />", {},
         kQuarterY, ""},
        {"length 1.41, normalised", "<rotation qx=\"0\" qy=\"0\" qz=\"1\" qw=\"1\" />", {}, kQuarterZ, ""},
        {"scale", "<scale z=\"3\" x=\"3\" y=\"3\" />", {}, {{3, 0, 0}, {0, 3, 0}}, ""},
        {"uneven scale", "<scale x=\"1\" y=\"2\" z=\"0.5\" />", {}, {{2, 0, 0}, {0, 2, 0}},
         "<scale> 1 2 0.5 differs by axis; loaded with 2\n"},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(row.what);
        CoutCapture out;
        boost::shared_ptr<Model> model = LoadScene(Scene(SceneNode("R", row.pose + "\n" + kRock)));
        ASSERT_TRUE(model != 0) << m_loader.GetError();
        ExpectPose(model->GetChild(0)->Local(), row.translation, row.axes);
        const std::string line = "Scene file " + m_folder.Path("S.scene") + ": <node> \"R\": " + row.printed;
        EXPECT_EQ(row.printed.empty() ? "" : line, out.Text());
    }
}

// A key frame that leaves out its position or its rotation keeps the node's
// own, as the node's element states it.
TEST_F(OgreXmlSceneLoaderTest, KeyFramesKeepWhatTheyLeaveOutFromTheNode)
{
    const std::string place = "<position x=\"10\" y=\"5\" z=\"3\" />\n<rotation qx=\"0\" qy=\"" + kHalf +
                              "\" qz=\"0\" qw=\"" + kHalf + "\" />\n";
    const std::string turnOnly = Animation("<k t=\"1\">\n<rotation qx=\"1\" qy=\"0\" qz=\"0\" qw=\"0\" />\n</k>\n");
    const std::string moveOnly = Animation("<k t=\"1\">\n<translation x=\"1\" y=\"2\" z=\"3\" />\n</k>\n");
    const struct
    {
        const char* what;
        std::string body;
        Vector3<float> translation; // of the key frame
        Axes axes;
    } table[] = {
        {"mesh leaf, turn only", place + kRock + turnOnly, {10, 5, 3}, kHalfX},
        {"mesh leaf, move only", place + kRock + moveOnly, {1, 2, 3}, kQuarterY},
        {"no pose of its own", kRock + turnOnly, {0, 0, 0}, kHalfX},
        {"inner node", place + turnOnly + SceneNode("C", kPose + kRock), {10, 5, 3}, kHalfX},
        {"camera path", place + moveOnly, {1, 2, 3}, kQuarterY},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(row.what);
        boost::shared_ptr<Model> model = LoadScene(Scene(SceneNode("R", row.body)));
        ASSERT_TRUE(model != 0) << m_loader.GetError();
        ASSERT_TRUE(model->GetChild(0)->GetController() != 0);
        ExpectPose(model->GetChild(0)->GetController()->GetTransform(), row.translation, row.axes);
    }
}

// A file nested deeper than any scene is refused before the XML library
// (and the walk after it) recurses into it.
TEST_F(OgreXmlSceneLoaderTest, ScenesNestedTooDeepAreRefusedBeforeTheyAreParsed)
{
    // <scene>, <nodes>, `inner` nodes, then a rock leaf whose <entity> and
    // <subentities> make two more levels: inner + 5 in all.
    const auto deep = [](int inner) {
        std::string open, close;
        for (int i = 0; i < inner; ++i) {
            open += "<node name=\"n\">";
            close += "</node>";
        }
        return Scene(open + SceneNode("Deep", kPose + Entity("Rock.mesh", "Stone")) + close);
    };
    const int limit = XmlNesting::kSceneLimit;
    const boost::shared_ptr<Model> model = LoadScene(deep(limit - 5));
    ASSERT_TRUE(model) << m_loader.GetError();
    const Node* node = model.get();
    for (int i = 0; i < limit - 5 && node; ++i)
        node = ChildAs<Node>(*node, 0);
    ASSERT_TRUE(node && ChildAs<TriangleMesh>(*node, 0));

    for (int inner : {limit - 4, 100000}) {
        EXPECT_FALSE(LoadScene(deep(inner)));
        EXPECT_EQ(m_folder.Path("S.scene") + ": elements nested deeper than " + std::to_string(limit) + " levels",
                  m_loader.GetError());
    }
}
