#include "CoutCapture.h"
#include "MathExpect.h"
#include "ModelTestFiles.h"
#include "RecordingRenderer.h"
#include "TempFolder.h"

#include "Core/Rendering/IMaterialEffect.h"
#include "Core/Rendering/IVertexBuffer.h"
#include "Core/Scenegraph/CameraNode.h"
#include "Core/Scenegraph/Model.h"
#include "Core/Scenegraph/Node.h"
#include "Core/Scenegraph/TransformController.h"
#include "Core/Scenegraph/mesh/TriangleMesh.h"
#include "Core/Scenegraph/model/ModelImporter.h"
#include "Core/Scenegraph/model/OgreXmlModelLoader.h"
#include "Render/RenderGL/effects/GLMaterialEffect.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace Vorm;
using MathExpect::ExpectNear;
using ModelTestFiles::ReadText;
using ModelTestFiles::SceneDir;
using ModelTestFiles::WriteText;

namespace {

// Where the transform takes a direction and a point.
Vector3<float> Turn(const Transform& t, float x, float y, float z)
{
    const Vector4<float> v = t.Apply(Vector4<float>(x, y, z, 0.0f));
    return Vector3<float>(v.x, v.y, v.z);
}

template <typename T>
T* ChildAs(const Node& node, int index)
{
    if (index >= node.GetChildCount())
        return 0;
    return dynamic_cast<T*>(node.GetChild(index).get());
}

class OgreXmlSceneLoaderTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_folder.Ok()); }
    void TearDown() override
    {
        GLMaterialEffect::ReleaseMaterialProgram();
    }

    // A folder holding the Valley scene's meshes and materials and the
    // given scene text as "S.scene".
    boost::shared_ptr<Model> LoadScene(const std::string& sceneText)
    {
        CopyValley(false);
        WriteText(m_folder.Path("S.scene"), sceneText);
        WriteText(m_folder.Path("S.material"), ReadText(SceneDir() + "Valley.material"));
        OgreXmlModelLoader loader;
        return loader.LoadFromFile(m_folder.Dir(), "S");
    }

    void CopyValley(bool crlf)
    {
        const char* files[] = {"Valley.scene", "Valley.material", "Ground.mesh.xml", "Rock.mesh.xml", "Tree.mesh.xml"};
        for (const char* f : files) {
            const std::string text = ReadText(SceneDir() + f);
            WriteText(m_folder.Path(f), crlf ? ModelTestFiles::ToCrLf(text) : text);
        }
    }

    RecordingRenderer m_renderer;
    TempFolder m_folder;
};

// The Valley model as the test data describes it.
void ExpectValley(const Model& model)
{
    EXPECT_EQ("<ModelRoot: Valley>", model.GetName());
    // Ground, Forest, the camera path; the bare Lamp leaf makes nothing.
    ASSERT_EQ(3, model.GetChildCount());

    TriangleMesh* ground = ChildAs<TriangleMesh>(model, 0);
    ASSERT_TRUE(ground != 0);
    EXPECT_EQ("<Geometry: Ground>", ground->GetName());
    EXPECT_EQ(5u, ground->GetVertexBuffer()->GetCount());
    ASSERT_TRUE(ground->GetMaterialEffect() != 0);
    ExpectNear(ground->GetMaterialEffect()->GetDiffuseColor(), 0.8f, 0.9f, 0.7f, 1);
    EXPECT_FALSE(ground->GetController());

    Node* forest = ChildAs<Node>(model, 1);
    ASSERT_TRUE(forest != 0);
    EXPECT_EQ("<Node: Forest>", forest->GetName());
    ExpectNear(forest->Local().GetTranslation(), 10, 0, -5);
    ExpectNear(Turn(forest->Local(), 1, 0, 0), 0, 0, -1, 1e-4f); // 90 degrees about +y
    EXPECT_FLOAT_EQ(1.0f, forest->Local().GetScale());         // <scale> is not read
    EXPECT_FALSE(forest->GetController());
    ASSERT_EQ(3, forest->GetChildCount());

    TriangleMesh* shape = ChildAs<TriangleMesh>(*forest, 0);
    ASSERT_TRUE(shape != 0);
    EXPECT_EQ("<NodeShape : Forest>", shape->GetName());
    EXPECT_TRUE(shape->Local().IsIdentity());
    EXPECT_EQ(6u, shape->GetVertexBuffer()->GetCount());
    ExpectNear(shape->GetMaterialEffect()->GetSpecularColor(), 0.2f, 0.2f, 0.2f, 1);

    TriangleMesh* tree1 = ChildAs<TriangleMesh>(*forest, 1);
    TriangleMesh* tree2 = ChildAs<TriangleMesh>(*forest, 2);
    ASSERT_TRUE(tree1 != 0);
    ASSERT_TRUE(tree2 != 0);
    EXPECT_EQ("<Geometry: Tree1>", tree1->GetName());
    EXPECT_EQ("<Geometry: Tree2>", tree2->GetName());
    ExpectNear(tree1->Local().GetTranslation(), 1, 0, 0);
    ExpectNear(tree2->Local().GetTranslation(), -1, 0, 2);
    ExpectNear(Turn(tree2->Local(), 1, 0, 0), 0.70710678f, 0.70710678f, 0, 1e-4f); // 45 degrees about +z
    EXPECT_EQ(tree1->GetMaterialEffect(), tree2->GetMaterialEffect());
    EXPECT_FALSE(tree1->GetController());

    boost::shared_ptr<TransformController> sway = tree2->GetController();
    ASSERT_TRUE(sway != 0);
    ASSERT_EQ(2u, sway->GetKeyframeCount());
    // The first key frame is the pose until 0.5 s; then the second.
    ExpectNear(sway->GetTransform().GetTranslation(), -1, 0, 2);
    sway->Update(0.6);
    ExpectNear(sway->GetTransform().GetTranslation(), -1, 0.5f, 2); // from <translation>
    sway->Reset();

    CameraNode* path = ChildAs<CameraNode>(model, 2);
    ASSERT_TRUE(path != 0);
    EXPECT_EQ("", path->GetName());
    EXPECT_TRUE(path->Local().IsIdentity());
    ASSERT_TRUE(path->GetController() != 0);
    EXPECT_EQ(3u, path->GetController()->GetKeyframeCount());
}

} // namespace

TEST_F(OgreXmlSceneLoaderTest, ValleySceneBuildsTheNodeTree)
{
    OgreXmlModelLoader loader;
    boost::shared_ptr<Model> model = loader.LoadFromFile(SceneDir(), "Valley");
    ASSERT_TRUE(model != 0);
    ExpectValley(*model);
    // Every texture file once: grass, rock, its normal map, bark.
    EXPECT_EQ(4u, m_renderer.Find("Tex.CreateFromFile").size());
}

TEST_F(OgreXmlSceneLoaderTest, CameraPathKeyFramesKeepTheirTimesAndPoses)
{
    OgreXmlModelLoader loader;
    boost::shared_ptr<Model> model = loader.LoadFromFile(SceneDir(), "Valley");
    ASSERT_TRUE(model != 0);
    boost::shared_ptr<TransformController> fly = model->GetChild(2)->GetController();
    ASSERT_TRUE(fly != 0);
    fly->Update(2.5); // past the first key frame's 2 s...
    fly->Update(2.0); // ...and the second's 4 s: one step per update
    ExpectNear(fly->GetTransform().GetTranslation(), 0, 8, -20);
    ExpectNear(Turn(fly->GetTransform(), 1, 0, 0), -1, 0, 0, 1e-4f); // qy = 1: half turn
}

TEST_F(OgreXmlSceneLoaderTest, ImporterLoadsByTypeAndLoadsTwiceIndependently)
{
    ModelImporter importer;
    importer.SetPath(SceneDir());
    boost::shared_ptr<Model> first = importer.Load(0, "Valley");
    ASSERT_TRUE(first != 0);
    boost::shared_ptr<Model> second = importer.Load(0, "Valley");
    ASSERT_TRUE(second != 0);
    ExpectValley(*second);
    EXPECT_NE(first->GetChild(0), second->GetChild(0));
    // New materials, but the textures come from the renderer's cache.
    TriangleMesh* g1 = dynamic_cast<TriangleMesh*>(first->GetChild(0).get());
    TriangleMesh* g2 = dynamic_cast<TriangleMesh*>(second->GetChild(0).get());
    EXPECT_NE(g1->GetMaterialEffect(), g2->GetMaterialEffect());
    EXPECT_EQ(g1->GetMaterialEffect()->GetDiffuseTexture(), g2->GetMaterialEffect()->GetDiffuseTexture());
    EXPECT_EQ(4u, m_renderer.Find("Tex.CreateFromFile").size());

    EXPECT_FALSE(importer.Load(1, "Valley"));
    EXPECT_FALSE(importer.Load(-1, "Valley"));
}

TEST_F(OgreXmlSceneLoaderTest, CrLfFilesReadLikeLf)
{
    CopyValley(true);
    OgreXmlModelLoader loader;
    boost::shared_ptr<Model> model = loader.LoadFromFile(m_folder.Dir(), "Valley");
    ASSERT_TRUE(model != 0);
    ExpectValley(*model);
    const IMaterialEffect* stone = ChildAs<TriangleMesh>(*ChildAs<Node>(*model, 1), 0)->GetMaterialEffect().get();
    EXPECT_EQ(stone->GetNormalMap(), m_renderer.GetResourceMap().Find("rock_n.tga"));
    EXPECT_TRUE(m_renderer.GetResourceMap().Find("bark.tga") != 0);
}

TEST_F(OgreXmlSceneLoaderTest, MissingMaterialOrSceneFileGivesNoModel)
{
    CopyValley(false);
    OgreXmlModelLoader loader;
    CoutCapture out;
    EXPECT_FALSE(loader.LoadFromFile(m_folder.Dir(), "Nowhere"));
    EXPECT_TRUE(out.Contains(m_folder.Path("Nowhere.material"))) << out.Text();

    WriteText(m_folder.Path("Lonely.material"), ReadText(SceneDir() + "Valley.material"));
    EXPECT_FALSE(loader.LoadFromFile(m_folder.Dir(), "Lonely"));
    EXPECT_TRUE(out.Contains(m_folder.Path("Lonely.scene"))) << out.Text();
}

namespace {

const char* const kHead = "<scene>\n<environment />\n<nodes>\n";
const char* const kTail = "</nodes>\n</scene>\n";
const char* const kPose = "<position x=\"0\" y=\"0\" z=\"0\" />\n<rotation qx=\"0\" qy=\"0\" qz=\"0\" qw=\"1\" />\n";

std::string Entity(const std::string& mesh, const std::string& material)
{
    return "<entity meshFile=\"" + mesh + "\">\n<subentities>\n<subentity materialName=\"" + material +
           "\" />\n</subentities>\n</entity>\n";
}

std::string Scene(const std::string& nodes)
{
    return kHead + nodes + kTail;
}

} // namespace

TEST_F(OgreXmlSceneLoaderTest, RotationAttributesAreReadInOrderNotByName)
{
    boost::shared_ptr<Model> model = LoadScene(Scene(
        "<node name=\"R\">\n<position x=\"0\" y=\"0\" z=\"0\" />\n<rotation qw=\"1\" qx=\"0\" qy=\"0\" qz=\"0\" />\n" +
        Entity("Rock.mesh", "Stone") + "</node>\n"));
    ASSERT_TRUE(model != 0);
    ASSERT_EQ(1, model->GetChildCount());
    // Read as x = 1, w = 0: a half turn about x.
    ExpectNear(Turn(model->GetChild(0)->Local(), 0, 1, 0), 0, -1, 0, 1e-5f);
}

TEST_F(OgreXmlSceneLoaderTest, EntityThatCannotBeUsedIsDroppedAndTheRestLoads)
{
    CoutCapture out;
    WriteText(m_folder.Path("Broken.mesh.xml"), "<face v1=\"0\" v2=\"1\" v3=\"2\" />\n");
    boost::shared_ptr<Model> model = LoadScene(Scene(
        std::string("<node name=\"Gone\">\n") + kPose + Entity("Missing.mesh", "Stone") + "</node>\n" +
        "<node name=\"Bad\">\n" + kPose + Entity("Broken.mesh", "Stone") + "</node>\n" +
        "<node name=\"NoMaterial\">\n" + kPose + Entity("Rock.mesh", "Unknown") + "</node>\n" +
        "<node name=\"NoSub\">\n" + kPose + "<entity meshFile=\"Rock.mesh\">\n<subentities />\n</entity>\n</node>\n"));
    ASSERT_TRUE(model != 0);
    ASSERT_EQ(2, model->GetChildCount());
    EXPECT_EQ("<Geometry: NoMaterial>", model->GetChild(0)->GetName());
    EXPECT_FALSE(dynamic_cast<TriangleMesh*>(model->GetChild(0).get())->GetMaterialEffect());
    EXPECT_FALSE(dynamic_cast<TriangleMesh*>(model->GetChild(1).get())->GetMaterialEffect());
    EXPECT_TRUE(out.Contains(m_folder.Path("Missing.mesh.xml"))) << out.Text();
    EXPECT_TRUE(out.Contains(m_folder.Path("Broken.mesh.xml"))) << out.Text();
}

TEST_F(OgreXmlSceneLoaderTest, ElementsBeforeTheFirstNodeAreSkippedThoseAfterItAreRead)
{
    boost::shared_ptr<Model> model = LoadScene(Scene(
        std::string("<item name=\"Before\">\n") + kPose + Entity("Rock.mesh", "Stone") + "</item>\n" +
        "<node name=\"First\">\n" + kPose + Entity("Rock.mesh", "Stone") + "</node>\n" + "some text\n" +
        "<item name=\"After\">\n" + kPose + Entity("Tree.mesh", "Bark") + "</item>\n"));
    ASSERT_TRUE(model != 0);
    ASSERT_EQ(2, model->GetChildCount());
    EXPECT_EQ("<Geometry: First>", model->GetChild(0)->GetName());
    EXPECT_EQ("<Geometry: After>", model->GetChild(1)->GetName());
}

TEST_F(OgreXmlSceneLoaderTest, AnimatedLeafNeedsNoLabelAndMeshLeafTakesTheAnimation)
{
    const std::string animation = std::string("<animations>\n<animation>\n<k t=\"1\">\n") + kPose +
                                  "</k>\n</animation>\n</animations>\n";
    boost::shared_ptr<Model> model = LoadScene(Scene(
        "<node>\n" + animation + "</node>\n" +
        "<node name=\"M\">\n" + kPose + Entity("Rock.mesh", "Stone") + animation + "</node>\n"));
    ASSERT_TRUE(model != 0);
    ASSERT_EQ(2, model->GetChildCount());
    EXPECT_TRUE(dynamic_cast<CameraNode*>(model->GetChild(0).get()) != 0);
    ASSERT_TRUE(dynamic_cast<TriangleMesh*>(model->GetChild(1).get()) != 0);
    ASSERT_TRUE(model->GetChild(1)->GetController() != 0);
    EXPECT_EQ(1u, model->GetChild(1)->GetController()->GetKeyframeCount());
}

namespace {

struct MalformedScene
{
    const char* what;
    std::string text;
    const char* reason; // part of the console line
};

std::vector<MalformedScene> MalformedScenes()
{
    const std::string valley = ReadText(SceneDir() + "Valley.scene");
    const std::string entity = Entity("Rock.mesh", "Stone");
    const std::string keyPose = "<position x=\"1\" y=\"2\" z=\"3\" />\n<rotation qx=\"0\" qy=\"0\" qz=\"0\" qw=\"1\" />\n";
    std::vector<MalformedScene> t;
    t.push_back({"empty file", "", "no <nodes> element"});
    t.push_back({"not XML", "scene: nodes", "XML error"});
    t.push_back({"cut in half", valley.substr(0, valley.size() / 2), "XML error"});
    t.push_back({"cut inside a tag", valley.substr(0, valley.find("meshFile=\"Rock") + 12), "XML error"});
    t.push_back({"element never closed", "<scene>\n<a />\n<nodes>\n<node name=\"x\">\n", "XML error"});
    t.push_back({"NUL inside", std::string("<scene>\n<a />\n<nodes>\0</nodes></scene>", 38), "XML error: "});
    t.push_back({"root without children", "<scene />", "no <nodes> element"});
    t.push_back({"nodes as the first child", "<scene>\n<nodes>\n<node name=\"A\">\n" + std::string(kPose) + entity +
                                                 "</node>\n</nodes>\n</scene>\n",
                 "no <nodes> element"});
    t.push_back({"inner node without label",
                 Scene("<node>\n" + std::string(kPose) + "<node name=\"C\">\n" + kPose + entity + "</node>\n</node>\n"),
                 "<node> has no label"});
    t.push_back({"mesh leaf without label", Scene("<node>\n" + std::string(kPose) + entity + "</node>\n"),
                 "<node> has no label"});
    t.push_back({"inner node without position",
                 Scene("<node name=\"P\">\n<rotation qx=\"0\" qy=\"0\" qz=\"0\" qw=\"1\" />\n<node name=\"C\">\n" +
                       std::string(kPose) + entity + "</node>\n</node>\n"),
                 "<node> \"P\" has no <position>"});
    t.push_back({"mesh leaf without rotation",
                 Scene("<node name=\"L\">\n<position x=\"0\" y=\"0\" z=\"0\" />\n" + entity + "</node>\n"),
                 "<node> \"L\" has no <rotation>"});
    t.push_back({"position with two values",
                 Scene("<node name=\"L\">\n<position x=\"0\" y=\"0\" />\n<rotation qx=\"0\" qy=\"0\" qz=\"0\" qw=\"1\" />\n" +
                       entity + "</node>\n"),
                 "<position> needs three numbers"});
    t.push_back({"rotation with three values",
                 Scene("<node name=\"L\">\n<position x=\"0\" y=\"0\" z=\"0\" />\n<rotation qx=\"0\" qy=\"0\" qz=\"0\" />\n" +
                       entity + "</node>\n"),
                 "<rotation> needs four numbers"});
    t.push_back({"position not a number",
                 Scene("<node name=\"L\">\n<translation x=\"0\" y=\"up\" z=\"0\" />\n"
                       "<rotation qx=\"0\" qy=\"0\" qz=\"0\" qw=\"1\" />\n" + entity + "</node>\n"),
                 "<translation> needs three numbers"});
    t.push_back({"entity without meshFile",
                 Scene("<node name=\"L\">\n" + std::string(kPose) +
                       "<entity name=\"x\">\n<subentities />\n</entity>\n</node>\n"),
                 "<entity> has no meshFile"});
    t.push_back({"entity without subentities",
                 Scene("<node name=\"L\">\n" + std::string(kPose) + "<entity meshFile=\"Rock.mesh\" />\n</node>\n"),
                 "<entity> has no <subentities>"});
    t.push_back({"subentity without material",
                 Scene("<node name=\"L\">\n" + std::string(kPose) +
                       "<entity meshFile=\"Rock.mesh\">\n<subentities>\n<subentity />\n</subentities>\n</entity>\n</node>\n"),
                 "<subentity> has no material name"});
    t.push_back({"animation without key frames",
                 Scene("<node name=\"A\">\n<animations>\n<animation name=\"x\" />\n</animations>\n</node>\n"),
                 "<animation> has no key frame"});
    t.push_back({"key frame without time",
                 Scene("<node name=\"A\">\n<animations>\n<animation>\n<keyframe>\n" + keyPose +
                       "</keyframe>\n</animation>\n</animations>\n</node>\n"),
                 "key frame <keyframe> has no time"});
    t.push_back({"key frame time not a number",
                 Scene("<node name=\"A\">\n<animations>\n<animation>\n<keyframe time=\"soon\">\n" + keyPose +
                       "</keyframe>\n</animation>\n</animations>\n</node>\n"),
                 "has no time"});
    t.push_back({"key frame without position",
                 Scene("<node name=\"A\">\n<animations>\n<animation>\n<keyframe time=\"0\">\n"
                       "<rotation qx=\"0\" qy=\"0\" qz=\"0\" qw=\"1\" />\n</keyframe>\n</animation>\n</animations>\n</node>\n"),
                 "<keyframe> \"0\" has no <position>"});
    t.push_back({"text as a key frame",
                 Scene("<node name=\"A\">\n<animations>\n<animation>\nsoon\n</animation>\n</animations>\n</node>\n"),
                 "<text> has no <position>"});
    t.push_back({"fault deep in the tree",
                 Scene("<node name=\"A\">\n" + std::string(kPose) + "<node name=\"B\">\n" + kPose + "<node name=\"C\">\n" +
                       kPose + "<entity meshFile=\"Rock.mesh\" />\n</node>\n</node>\n</node>\n"),
                 "<node> \"C\": <entity> has no <subentities>"});
    return t;
}

} // namespace

TEST_F(OgreXmlSceneLoaderTest, MalformedScenesGiveNoModelAndNameTheFile)
{
    const std::vector<MalformedScene> table = MalformedScenes();
    for (size_t i = 0; i < table.size(); ++i) {
        SCOPED_TRACE(table[i].what);
        CoutCapture out;
        EXPECT_FALSE(LoadScene(table[i].text));
        EXPECT_TRUE(out.Contains("Scene file not loaded: " + m_folder.Path("S.scene") + ": ")) << out.Text();
        EXPECT_TRUE(out.Contains(table[i].reason)) << out.Text();
    }
}

TEST_F(OgreXmlSceneLoaderTest, ParseErrorNamesTheLine)
{
    CoutCapture out;
    EXPECT_FALSE(LoadScene("<scene>\n<a />\n<nodes>\n<node name=\"x\"\n</nodes>\n</scene>\n"));
    EXPECT_TRUE(out.Contains("on line 5")) << out.Text();
}

TEST_F(OgreXmlSceneLoaderTest, FailedLoadLeavesNothingBehind)
{
    // A good subtree followed by a bad one: everything built so far goes.
    CoutCapture out;
    EXPECT_FALSE(LoadScene(Scene(std::string("<node name=\"Good\">\n") + kPose + Entity("Rock.mesh", "Stone") +
                                 "</node>\n<node name=\"Bad\">\n" + kPose + "<entity meshFile=\"Rock.mesh\" />\n</node>\n")));
    EXPECT_EQ(1u, m_renderer.Find("CreateVertexBuffer").size());
    EXPECT_EQ(1u, m_renderer.Find("VB.Destroy").size());
    EXPECT_EQ(1u, m_renderer.Find("IB.Destroy").size());
    EXPECT_TRUE(out.Contains("\"Bad\"")) << out.Text();
}
