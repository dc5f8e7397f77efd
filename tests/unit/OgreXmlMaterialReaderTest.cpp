#include "CoutCapture.h"
#include "MathExpect.h"
#include "ModelTestFiles.h"
#include "RecordingRenderer.h"
#include "TempFolder.h"

#include "Core/Rendering/IMaterialEffect.h"
#include "Core/Scenegraph/model/OgreXmlModelLoader.h"
#include "RenderGL/effects/GLMaterialEffect.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace Vorm;
using MathExpect::ExpectNear;
using ModelTestFiles::SceneDir;

namespace {

typedef OgreXmlModelLoader Loader;

class OgreXmlMaterialReaderTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_folder.Ok()); }
    void TearDown() override { m_materials.clear(); }

    bool Load(const std::string& text)
    {
        return Loader::LoadMaterialsFromFile(m_folder.Write("m.material", text), &m_materials);
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

TEST(OgreXmlSplit, PiecesBetweenSingleBlanksAreAppended)
{
    typedef std::vector<std::string> Pieces;
    const std::pair<const char*, Pieces> table[] = {
        {"ambient 1 0.5", {"ambient", "1", "0.5"}}, {"a  b", {"a", "", "b"}}, {" a", {"", "a"}},
        {"a ", {"a"}}, {"\ttexture\tx.png", {"\ttexture\tx.png"}}, {"", {}},
    };
    for (const auto& row : table) {
        Pieces pieces(1, "kept");
        Loader::Split(row.first, pieces);
        Pieces expected(1, "kept");
        expected.insert(expected.end(), row.second.begin(), row.second.end());
        EXPECT_EQ(expected, pieces) << row.first;
    }
}

TEST_F(OgreXmlMaterialReaderTest, ValleyMaterialsGetColoursTexturesAndLight)
{
    ASSERT_TRUE(Loader::LoadMaterialsFromFile(SceneDir() + "Valley.material", &m_materials));
    ASSERT_EQ(3u, m_materials.size());

    IMaterialEffect* grass = Get("Grass");
    IMaterialEffect* stone = Get("Stone");
    IMaterialEffect* bark = Get("Bark");
    ASSERT_TRUE(grass && stone && bark);
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

    ASSERT_TRUE(stone->GetNormalMap() != 0);
    EXPECT_NE(stone->GetNormalMap(), stone->GetDiffuseTexture());
    EXPECT_EQ(stone->GetNormalMap(), m_renderer.GetResourceMap().Find("rock_n.tga"));

    // Bark sets only a diffuse colour: the others start from zero again.
    ExpectNear(bark->GetAmbientColor(), 0, 0, 0, 0);
    ExpectNear(bark->GetDiffuseColor(), 0.5f, 0.35f, 0.2f, 1);
    ExpectNear(bark->GetSpecularColor(), 0, 0, 0, 0);

    EXPECT_EQ(4u, CountLog("CreateTexture"));
    const RecordingLogLines loads = m_renderer.Find("Tex.CreateFromFile grass.tga");
    ASSERT_EQ(1u, loads.size());
    EXPECT_EQ("Tex.CreateFromFile grass.tga 0 0 mip 1 flip 1 type 1 ifmt 1 pfmt 0", loads[0]);
}

TEST_F(OgreXmlMaterialReaderTest, TextureNamedTwiceLoadsOnce)
{
    ASSERT_TRUE(Load("material A\n{\n\ttexture same.png\n}\nmaterial B\n{\n\ttexture same.png\n}\n"));
    ASSERT_EQ(2u, m_materials.size());
    EXPECT_EQ(Get("A")->GetDiffuseTexture(), Get("B")->GetDiffuseTexture());
    EXPECT_EQ(1u, CountLog("CreateTexture"));
}

TEST_F(OgreXmlMaterialReaderTest, BlocksFollowTheBraceDepthAndTheNameLine)
{
    // The first of two names stays; an unnamed block takes the previous name.
    ASSERT_TRUE(Load("{\n\tdiffuse 0 0 1 1\n}\nmaterial A\n{\n\tdiffuse 1 0 0 1\n}\n"
                     "material A\n{\n\tdiffuse 0 1 0 1\n}\n{\n\tdiffuse 1 1 1 1\n}\n"));
    ASSERT_EQ(2u, m_materials.size());
    ExpectNear(Get("")->GetDiffuseColor(), 0, 0, 1, 1);
    ExpectNear(Get("A")->GetDiffuseColor(), 1, 0, 0, 1);

    // A stray '}' first: the block is emitted at the first nested close.
    m_materials.clear();
    ASSERT_TRUE(Load("}\nmaterial A\n{\n\tdiffuse 1 0 0 1\n\tpass\n\t{\n\t}\n\tdiffuse 0 1 0 1\n}\n"));
    ASSERT_EQ(1u, m_materials.size());
    ExpectNear(Get("A")->GetDiffuseColor(), 1, 0, 0, 1);

    // A brace on the material line opens nothing: A's '}' takes the depth
    // to -1 and B's braces only bring it back there.
    m_materials.clear();
    ASSERT_TRUE(Load("material A {\n\tdiffuse 1 0 0 1\n}\nmaterial B\n{\n}\n"));
    EXPECT_TRUE(m_materials.empty());
}

TEST_F(OgreXmlMaterialReaderTest, KeywordsMatchAnywhereAndNeedTheirNumbersInPlace)
{
    CoutCapture out;
    ASSERT_TRUE(Load("material A\n{\n"
                     "\ttechnique\n\t{\n\t\tpass\n\t\t{\n\t\t\tdiffuse 1 0 0 1\n\t\t}\n\t}\n"
                     "\t// diffuse 0 0 1 1\n"          // a comment counts as well...
                     "\ttextureNormal n.png\n"         // ...and this is no "texture " line
                     "}\n"
                     "material B\n{\n  ambient 1 1 1 1\n\tspecular 0.5 0.5 0.5 1\n}\n"));
    IMaterialEffect* a = Get("A");
    IMaterialEffect* b = Get("B");
    ASSERT_TRUE(a && b);
    // Pieces count from the line start: "//" is piece 0, so the pieces 1-4
    // are "diffuse", "0", "0", "1" and "diffuse" is not a number: skipped.
    ExpectNear(a->GetDiffuseColor(), 1, 0, 0, 1);
    EXPECT_FALSE(a->GetDiffuseTexture());
    EXPECT_TRUE(a->GetNormalMap() != 0);
    EXPECT_TRUE(out.Contains("line 10: colour needs four numbers")) << out.Text();
    // Two leading blanks make empty pieces: B's ambient is skipped, too.
    ExpectNear(b->GetAmbientColor(), 0, 0, 0, 0);
    ExpectNear(b->GetSpecularColor(), 0.5f, 0.5f, 0.5f, 1);
    EXPECT_TRUE(out.Contains("line 15: colour needs four numbers")) << out.Text();
}

TEST_F(OgreXmlMaterialReaderTest, ShortLinesKeepTheRunningValueAndAreReported)
{
    // Each file names material "A" with diffuse (1, 0, 0, 1) first, lines 1-3;
    // the bad line must leave the running values as they were.
    const struct
    {
        const char* what;
        const char* rest;
        const char* reason; // part of the console line
    } table[] = {
        {"colour with three values", "\tdiffuse 0 1 0\n}\n", "line 4: colour needs four numbers"},
        {"colour without values", "\tdiffuse \n}\n", "line 4: colour needs four numbers"},
        {"colour value not a number", "\tdiffuse 0 green 0 1\n}\n", "line 4: colour needs four numbers"},
        {"material line without a name", "}\nmaterial \n{\n\tdiffuse 0 1 0 1\n}\n", "line 5: material without a name"},
        {"texture line without a name", "\ttexture \n}\n", "line 4: texture without a file name"},
        {"normal map line without a name", "\ttextureNormal \n}\n", "line 4: textureNormal without a file name"},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(row.what);
        m_materials.clear();
        CoutCapture out;
        ASSERT_TRUE(Load(std::string("material A\n{\n\tdiffuse 1 0 0 1\n") + row.rest));
        ASSERT_EQ(1u, m_materials.size());
        IMaterialEffect* a = Get("A");
        ASSERT_TRUE(a != 0);
        ExpectNear(a->GetDiffuseColor(), 1, 0, 0, 1);
        EXPECT_FALSE(a->GetDiffuseTexture());
        EXPECT_FALSE(a->GetNormalMap());
        EXPECT_TRUE(out.Contains("Material file " + m_folder.Path("m.material"))) << out.Text();
        EXPECT_TRUE(out.Contains(row.reason)) << out.Text();
    }
    EXPECT_EQ(0u, CountLog("CreateTexture"));
}

TEST_F(OgreXmlMaterialReaderTest, TruncatedFileEmitsOnlyWholeBlocksAndMissingFileNothing)
{
    const std::string valley = ModelTestFiles::ReadText(SceneDir() + "Valley.material");
    CoutCapture out;
    // Cut inside the second block: only the first material is complete.
    ASSERT_TRUE(Load(valley.substr(0, valley.find("texture rock.tga"))));
    ASSERT_EQ(1u, m_materials.size());
    EXPECT_TRUE(Get("Grass") != 0);
    EXPECT_TRUE(out.Contains("block not closed at end of file")) << out.Text();

    EXPECT_FALSE(Loader::LoadMaterialsFromFile(m_folder.Path("none.material"), &m_materials));
    EXPECT_EQ(1u, m_materials.size());
    EXPECT_TRUE(out.Contains("Material file not loaded: " + m_folder.Path("none.material"))) << out.Text();
}
