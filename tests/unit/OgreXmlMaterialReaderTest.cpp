#include "CoutCapture.h"
#include "MathExpect.h"
#include "ModelTestFiles.h"
#include "RecordingRenderer.h"
#include "TempFolder.h"
#include "RecordingTexture.h"

#include "Core/Rendering/IMaterialEffect.h"
#include "Core/Scenegraph/model/OgreXmlModelLoader.h"
#include "Render/RenderGL/effects/GLMaterialEffect.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace Vorm;
using MathExpect::ExpectNear;
using ModelTestFiles::SceneDir;

namespace {

typedef OgreXmlModelLoader Loader;

std::vector<std::string> SplitOf(const std::string& line)
{
    std::vector<std::string> pieces;
    Loader::Split(line, pieces);
    return pieces;
}

class OgreXmlMaterialReaderTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_folder.Ok()); }
    void TearDown() override
    {
        m_materials.clear();
        // The shared program came from this test's renderer.
        GLMaterialEffect::ReleaseMaterialProgram();
    }

    bool Load(const std::string& text)
    {
        ModelTestFiles::WriteText(m_folder.Path("m.material"), text);
        return Loader::LoadMaterialsFromFile(m_folder.Path("m.material"), &m_materials);
    }

    IMaterialEffect* Get(const std::string& name)
    {
        MaterialMap::iterator it = m_materials.find(name);
        return it == m_materials.end() ? 0 : it->second.get();
    }

    size_t CountLog(const std::string& prefix) const { return m_renderer.Find(prefix).size(); }

    RecordingRenderer m_renderer;
    MaterialMap m_materials;
    TempFolder m_folder;
};

} // namespace

TEST(OgreXmlSplit, PiecesBetweenSingleBlanks)
{
    EXPECT_EQ((std::vector<std::string>{"ambient", "1", "0.5"}), SplitOf("ambient 1 0.5"));
    EXPECT_EQ((std::vector<std::string>{"a", "", "b"}), SplitOf("a  b"));
    EXPECT_EQ((std::vector<std::string>{"", "a"}), SplitOf(" a"));
    EXPECT_EQ((std::vector<std::string>{"a"}), SplitOf("a "));
    EXPECT_EQ((std::vector<std::string>{"\ttexture\tx.png"}), SplitOf("\ttexture\tx.png"));
    EXPECT_TRUE(SplitOf("").empty());
    std::vector<std::string> appended(1, "kept");
    Loader::Split("x", appended);
    EXPECT_EQ((std::vector<std::string>{"kept", "x"}), appended);
}

TEST_F(OgreXmlMaterialReaderTest, ValleyMaterialsGetColoursTexturesAndLight)
{
    ASSERT_TRUE(Loader::LoadMaterialsFromFile(SceneDir() + "Valley.material", &m_materials));
    ASSERT_EQ(3u, m_materials.size());

    IMaterialEffect* grass = Get("Grass");
    ASSERT_TRUE(grass != 0);
    EXPECT_TRUE(dynamic_cast<GLMaterialEffect*>(grass) != 0);
    ExpectNear(grass->GetAmbientColor(), 0.5f, 0.5f, 0.5f, 1);
    ExpectNear(grass->GetDiffuseColor(), 0.8f, 0.9f, 0.7f, 1);
    ExpectNear(grass->GetSpecularColor(), 0, 0, 0, 1);
    EXPECT_TRUE(grass->IsShadowReceiver());
    EXPECT_EQ(std::vector<int>(1, 0), grass->GetLightIndices());
    // One texture serves the diffuse and the ambient slot.
    ASSERT_TRUE(grass->GetDiffuseTexture() != 0);
    EXPECT_EQ(grass->GetDiffuseTexture(), grass->GetAmbientTexture());
    EXPECT_EQ(grass->GetDiffuseTexture(), m_renderer.GetResourceMap().Find("grass.tga"));
    EXPECT_FALSE(grass->GetNormalMap());

    IMaterialEffect* stone = Get("Stone");
    ASSERT_TRUE(stone != 0);
    ASSERT_TRUE(stone->GetNormalMap() != 0);
    EXPECT_NE(stone->GetNormalMap(), stone->GetDiffuseTexture());
    EXPECT_EQ(stone->GetNormalMap(), m_renderer.GetResourceMap().Find("rock_n.tga"));

    // Bark sets only a diffuse colour: the others start from zero again.
    IMaterialEffect* bark = Get("Bark");
    ASSERT_TRUE(bark != 0);
    ExpectNear(bark->GetAmbientColor(), 0, 0, 0, 0);
    ExpectNear(bark->GetDiffuseColor(), 0.5f, 0.35f, 0.2f, 1);
    ExpectNear(bark->GetSpecularColor(), 0, 0, 0, 0);

    EXPECT_EQ(4u, CountLog("CreateTexture"));
    const RecordingLogLines loads = m_renderer.Find("Tex.CreateFromFile grass.tga");
    ASSERT_EQ(1u, loads.size());
    EXPECT_EQ("Tex.CreateFromFile grass.tga 0 0 mip 1 flip 1 type 1 ifmt 1 pfmt 0", loads[0]);
}

TEST_F(OgreXmlMaterialReaderTest, TextureNamedTwiceLoadsOnceThroughTheCache)
{
    ASSERT_TRUE(Load("material A\n{\n\ttexture same.png\n}\nmaterial B\n{\n\ttexture same.png\n}\n"));
    ASSERT_EQ(2u, m_materials.size());
    EXPECT_EQ(Get("A")->GetDiffuseTexture(), Get("B")->GetDiffuseTexture());
    EXPECT_EQ(1u, CountLog("CreateTexture"));
    // A second reading finds it in the renderer's cache.
    MaterialMap again;
    ASSERT_TRUE(Loader::LoadMaterialsFromFile(m_folder.Path("m.material"), &again));
    EXPECT_EQ(1u, CountLog("CreateTexture"));
}

TEST_F(OgreXmlMaterialReaderTest, FirstOfTwoNamesStaysAndUnnamedBlockTakesThePreviousName)
{
    ASSERT_TRUE(Load("{\n\tdiffuse 0 0 1 1\n}\n"
                     "material A\n{\n\tdiffuse 1 0 0 1\n}\n"
                     "material A\n{\n\tdiffuse 0 1 0 1\n}\n"
                     "{\n\tdiffuse 1 1 1 1\n}\n"));
    ASSERT_EQ(2u, m_materials.size());
    ExpectNear(Get("")->GetDiffuseColor(), 0, 0, 1, 1);
    ExpectNear(Get("A")->GetDiffuseColor(), 1, 0, 0, 1);
}

TEST_F(OgreXmlMaterialReaderTest, KeywordsMatchAnywhereAndTheLastValueWins)
{
    CoutCapture out;
    ASSERT_TRUE(Load("material A\n{\n"
                     "\ttechnique\n\t{\n\t\tpass\n\t\t{\n\t\t\tdiffuse 1 0 0 1\n\t\t}\n\t}\n"
                     "\t// diffuse 0 0 1 1\n"          // a comment counts as well...
                     "\ttextureNormal n.png\n"         // ...and this is no "texture " line
                     "}\n"));
    IMaterialEffect* a = Get("A");
    ASSERT_TRUE(a != 0);
    // Pieces count from the line start: "//" is piece 0, so the pieces 1-4
    // are "diffuse", "0", "0", "1" and "diffuse" is not a number: skipped.
    ExpectNear(a->GetDiffuseColor(), 1, 0, 0, 1);
    EXPECT_FALSE(a->GetDiffuseTexture());
    EXPECT_TRUE(a->GetNormalMap() != 0);
    EXPECT_TRUE(out.Contains("line 10: colour needs four numbers")) << out.Text();
}

TEST_F(OgreXmlMaterialReaderTest, BlankIndentedColourLineDoesNotHaveItsNumbersInPlace)
{
    CoutCapture out;
    ASSERT_TRUE(Load("material A\n{\n  ambient 1 1 1 1\n\tspecular 0.5 0.5 0.5 1\n}\n"));
    ExpectNear(Get("A")->GetAmbientColor(), 0, 0, 0, 0);
    ExpectNear(Get("A")->GetSpecularColor(), 0.5f, 0.5f, 0.5f, 1);
    EXPECT_TRUE(out.Contains("line 3")) << out.Text();
}

TEST_F(OgreXmlMaterialReaderTest, BraceOnTheMaterialLineOpensNothing)
{
    ASSERT_TRUE(Load("material A {\n\tdiffuse 1 0 0 1\n}\nmaterial B\n{\n}\n"));
    // A's '}' takes the depth to -1; B's braces only bring it back there.
    EXPECT_TRUE(m_materials.empty());
}

TEST_F(OgreXmlMaterialReaderTest, StrayClosingBraceEmitsAtTheFirstNestedClose)
{
    ASSERT_TRUE(Load("}\nmaterial A\n{\n\tdiffuse 1 0 0 1\n\tpass\n\t{\n\t}\n\tdiffuse 0 1 0 1\n}\n"));
    ASSERT_EQ(1u, m_materials.size());
    ExpectNear(Get("A")->GetDiffuseColor(), 1, 0, 0, 1);
}

TEST_F(OgreXmlMaterialReaderTest, MissingFileLeavesTheTableUntouched)
{
    m_materials["Old"];
    CoutCapture out;
    EXPECT_FALSE(Loader::LoadMaterialsFromFile(m_folder.Path("none.material"), &m_materials));
    EXPECT_EQ(1u, m_materials.size());
    EXPECT_TRUE(out.Contains("none.material")) << out.Text();
}

namespace {

struct MalformedMaterial
{
    const char* what;
    const char* text;
    const char* reason; // part of the console line
};

// Each file names material "A" with diffuse (1, 0, 0, 1) first; the bad line
// must leave the running values as they were.
const MalformedMaterial kMalformedMaterials[] = {
    {"colour with three values", "material A\n{\n\tdiffuse 1 0 0 1\n\tdiffuse 0 1 0\n}\n",
     "line 4: colour needs four numbers"},
    {"colour without values", "material A\n{\n\tdiffuse 1 0 0 1\n\tdiffuse \n}\n", "line 4: colour"},
    {"colour value not a number", "material A\n{\n\tdiffuse 1 0 0 1\n\tdiffuse 0 green 0 1\n}\n",
     "line 4: colour"},
    {"material line without a name", "material A\n{\n\tdiffuse 1 0 0 1\n}\nmaterial \n{\n\tdiffuse 0 1 0 1\n}\n",
     "line 5: material without a name"},
    {"texture line without a name", "material A\n{\n\tdiffuse 1 0 0 1\n\ttexture \n}\n",
     "line 4: texture without a file name"},
    {"normal map line without a name", "material A\n{\n\tdiffuse 1 0 0 1\n\ttextureNormal \n}\n",
     "line 4: textureNormal without a file name"},
};

} // namespace

TEST_F(OgreXmlMaterialReaderTest, ShortLinesKeepTheRunningValueAndAreReported)
{
    for (const MalformedMaterial& m : kMalformedMaterials) {
        SCOPED_TRACE(m.what);
        m_materials.clear();
        CoutCapture out;
        ASSERT_TRUE(Load(m.text));
        ASSERT_EQ(1u, m_materials.size());
        IMaterialEffect* a = Get("A");
        ASSERT_TRUE(a != 0);
        ExpectNear(a->GetDiffuseColor(), 1, 0, 0, 1);
        EXPECT_FALSE(a->GetDiffuseTexture());
        EXPECT_FALSE(a->GetNormalMap());
        EXPECT_TRUE(out.Contains("Material file " + m_folder.Path("m.material"))) << out.Text();
        EXPECT_TRUE(out.Contains(m.reason)) << out.Text();
    }
    EXPECT_EQ(0u, CountLog("CreateTexture"));
}

TEST_F(OgreXmlMaterialReaderTest, TruncatedFileEmitsNothingAndSaysSo)
{
    const std::string valley = ModelTestFiles::ReadText(SceneDir() + "Valley.material");
    CoutCapture out;
    // Cut inside the second block: only the first material is complete.
    ASSERT_TRUE(Load(valley.substr(0, valley.find("texture rock.tga"))));
    ASSERT_EQ(1u, m_materials.size());
    EXPECT_TRUE(Get("Grass") != 0);
    EXPECT_TRUE(out.Contains("block not closed at end of file")) << out.Text();
}
