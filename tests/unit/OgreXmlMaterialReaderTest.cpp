#include "CoutCapture.h"
#include "MathExpect.h"
#include "ModelTestFiles.h"
#include "RecordingRenderer.h"
#include "RecordingTexture.h"
#include "TempFolder.h"

#include "Core/Rendering/IMaterialEffect.h"
#include "Core/Rendering/ITexture.h"
#include "Core/Scenegraph/model/OgreXmlModelLoader.h"
#include "RenderGL/effects/GLMaterialEffect.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include <sys/stat.h>

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

TEST(OgreXmlSplit, WordsBetweenRunsOfBlanksAndTabsAreAppended)
{
    typedef std::vector<std::string> Pieces;
    const std::pair<const char*, Pieces> table[] = {
        {"ambient 1 0.5", {"ambient", "1", "0.5"}}, {"a  b", {"a", "b"}}, {" a", {"a"}},
        {"a ", {"a"}}, {"\ttexture\tx.png", {"texture", "x.png"}}, {" \t diffuse \t1\t 0", {"diffuse", "1", "0"}},
        {"", {}}, {" \t ", {}},
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

}

TEST_F(OgreXmlMaterialReaderTest, FileShapesGiveTheirMaterials)
{
    // One material per row, named M unless the row says otherwise.
    const struct
    {
        const char* what;
        std::string text;
        std::vector<float> diffuse; // rgba
        const char* texture;        // "" for none
        const char* normalMap;
        const char* name;
    } table[] = {
        // As read before.
        {"tab indented", "material M\n{\n\ttechnique\n\t{\n\t\tpass\n\t\t{\n\t\t\tdiffuse 1 0.5 0.25 1\n"
                         "\t\t\ttexture_unit\n\t\t\t{\n\t\t\t\ttexture m.png\n\t\t\t}\n\t\t}\n\t}\n}\n",
         {1, 0.5f, 0.25f, 1}, "m.png", "", "M"},
        {"not indented", "material M\n{\ndiffuse 1 0.5 0.25 1\ntextureNormal n.png\n}\n",
         {1, 0.5f, 0.25f, 1}, "", "n.png", "M"},
        {"CR LF", ModelTestFiles::ToCrLf("material M\n{\n\tdiffuse 1 0.5 0.25 1\n}\n"), {1, 0.5f, 0.25f, 1}, "", "", "M"},
        // As exporters write them.
        {"blank indented", "material M\n{\n    technique\n    {\n        pass\n        {\n"
                           "            diffuse 1 0.5 0.25 1\n            texture_unit\n            {\n"
                           "                texture m.png\n            }\n        }\n    }\n}\n",
         {1, 0.5f, 0.25f, 1}, "m.png", "", "M"},
        {"blanks and tabs between values", "material  M\n{\n diffuse\t1  0.5 \t0.25 1\n}\n",
         {1, 0.5f, 0.25f, 1}, "", "", "M"},
        {"braces on the keyword lines", "material M {\n\tpass {\n\t\tdiffuse 1 0.5 0.25 1\n\t\ttexture_unit {\n"
                                        "\t\t\ttexture m.png }\n\t}\n}\n",
         {1, 0.5f, 0.25f, 1}, "m.png", "", "M"},
        {"one-line blocks", "material M\n{\n\tpass {}\n\tdiffuse 1 0.5 0.25 1\n\t{ }\n\ttexture m.png\n}\n",
         {1, 0.5f, 0.25f, 1}, "m.png", "", "M"},
        {"whole material on one line", "material M {}\n", {0, 0, 0, 0}, "", "", "M"},
        {"keywords in the middle of lines",
         "material M\n{\n\tdiffuse 1 0.5 0.25 1\n\tcolour_op_ex add src_texture src_current\n"
         "\t// diffuse 0 0 1 1\n\tscene_blend alpha_blend // texture x.png\n\tlod_material other\n}\n",
         {1, 0.5f, 0.25f, 1}, "", "", "M"},
        {"texture_unit is not texture", "material M\n{\n\ttexture_unit t\n\t{\n\t\ttexture m.png\n\t}\n}\n",
         {0, 0, 0, 0}, "m.png", "", "M"},
        {"three colour values", "material M\n{\n\tdiffuse 1 0.5 0.25\n}\n", {1, 0.5f, 0.25f, 1}, "", "", "M"},
        {"derived material", "material M : Base\n{\n\tdiffuse 1 0.5 0.25 1\n}\n", {1, 0.5f, 0.25f, 1}, "", "", "M"},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(row.what);
        m_materials.clear();
        CoutCapture out;
        ASSERT_TRUE(Load(row.text));
        ASSERT_EQ(1u, m_materials.size());
        IMaterialEffect* m = Get(row.name);
        ASSERT_TRUE(m != 0);
        ExpectNear(m->GetDiffuseColor(), row.diffuse[0], row.diffuse[1], row.diffuse[2], row.diffuse[3]);
        EXPECT_EQ(std::string(row.texture).empty() ? boost::shared_ptr<ITexture>()
                                                   : m_renderer.GetResourceMap().Find(row.texture),
                  m->GetDiffuseTexture());
        EXPECT_EQ(std::string(row.normalMap).empty() ? boost::shared_ptr<ITexture>()
                                                     : m_renderer.GetResourceMap().Find(row.normalMap),
                  m->GetNormalMap());
        EXPECT_EQ("", out.Text());
    }
    // No texture but the ones named on texture lines was loaded.
    EXPECT_TRUE(m_renderer.GetResourceMap().Find("add") == 0);
    EXPECT_TRUE(m_renderer.GetResourceMap().Find("x.png") == 0);
}

TEST_F(OgreXmlMaterialReaderTest, BracesCountEveryOneOfTheLine)
{
    // "{ }" opens and closes: the material ends at its own closing brace,
    // and the next block is a material of its own.
    ASSERT_TRUE(Load("material A\n{\n\tpass { }\n\tdiffuse 1 0 0 1\n}\nmaterial B\n{\n\tdiffuse 0 1 0 1\n}\n"));
    ASSERT_EQ(2u, m_materials.size());
    ExpectNear(Get("A")->GetDiffuseColor(), 1, 0, 0, 1);
    ExpectNear(Get("B")->GetDiffuseColor(), 0, 1, 0, 1);

    // An empty one-line material still counts, with zero colours.
    m_materials.clear();
    ASSERT_TRUE(Load("material E {}\nmaterial F\n{\n\tdiffuse 0 0 1 1\n}\n"));
    ASSERT_EQ(2u, m_materials.size());
    ExpectNear(Get("E")->GetDiffuseColor(), 0, 0, 0, 0);
    ExpectNear(Get("F")->GetDiffuseColor(), 0, 0, 1, 1);

    // The values on a closing line belong to the block it closes.
    m_materials.clear();
    ASSERT_TRUE(Load("material A {\n\tdiffuse 1 0 0 1 }\nmaterial B {\n}\n"));
    ASSERT_EQ(2u, m_materials.size());
    ExpectNear(Get("A")->GetDiffuseColor(), 1, 0, 0, 1);
    ExpectNear(Get("B")->GetDiffuseColor(), 0, 0, 0, 0);
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
        {"colour with two values", "\tdiffuse 0 1\n}\n", "line 4: colour needs three or four numbers"},
        {"colour without values", "\tdiffuse \n}\n", "line 4: colour needs three or four numbers"},
        {"colour value not a number", "\tdiffuse 0 green 0 1\n}\n", "line 4: colour needs three or four numbers"},
        {"three values and a word", "\tdiffuse 0 1 0 x\n}\n", "line 4: colour needs three or four numbers"},
        {"value with text after it", "\tdiffuse 0 1x 0 1\n}\n", "line 4: colour needs three or four numbers"},
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

TEST_F(OgreXmlMaterialReaderTest, DamagedFilesFailWholeWithTheFileAndTheFaultNamed)
{
    const std::string valley = ModelTestFiles::ReadText(SceneDir() + "Valley.material");
    const std::string path = m_folder.Path("m.material");
    const struct
    {
        const char* what;
        std::string text;
        std::string error;
    } table[] = {
        // The first block is whole, but the file is not: nothing goes in.
        {"cut inside the second block", valley.substr(0, valley.find("texture rock.tga")),
         path + ": a block is not closed at the end of the file (cut short?)"},
        {"stray brace first", "}\nmaterial A\n{\n\tdiffuse 1 0 0 1\n}\n", path + ": line 1: '}' closes no block"},
        {"stray brace between blocks", "material A\n{\n}\n}\nmaterial B\n{\n\tpass\n\t{\n\t}\n}\n",
         path + ": line 4: '}' closes no block"},
        {"comment not closed", "material A\n{\n}\n/* material B\n{\n}\n",
         path + ": a /* comment is not closed at the end of the file (cut short?)"},
        {"empty", "", path + ": is empty"},
        {"no block", "// material A\n\tdiffuse 1 0 0 1\n", path + ": holds no material"},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(row.what);
        m_materials.clear();
        CoutCapture out;
        std::string error;
        EXPECT_FALSE(Loader::LoadMaterialsFromFile(m_folder.Write("m.material", row.text), &m_materials, &error));
        EXPECT_TRUE(m_materials.empty());
        EXPECT_EQ(row.error, error);
        // The caller reports it: the reader says nothing itself.
        EXPECT_EQ("", out.Text());
    }

    // A table that holds materials already keeps them.
    ASSERT_TRUE(Load("material A\n{\n}\n"));
    std::string error;
    EXPECT_FALSE(Loader::LoadMaterialsFromFile(m_folder.Path("none.material"), &m_materials, &error));
    EXPECT_EQ(1u, m_materials.size());
    EXPECT_EQ(m_folder.Path("none.material") + ": cannot open", error);

    // What no line could be read from (it would block or never end) is not
    // read at all.
    ASSERT_EQ(0, mkfifo(m_folder.Path("pipe.material").c_str(), 0600));
    std::filesystem::create_symlink("/dev/zero", m_folder.Path("zero.material"));
    const std::pair<std::string, const char*> refused[] = {{"pipe.material", "is a pipe, not a regular file"},
                                                           {"zero.material", "is a device, not a regular file"}};
    for (const auto& r : refused) {
        EXPECT_FALSE(Loader::LoadMaterialsFromFile(m_folder.Path(r.first), &m_materials, &error));
        EXPECT_EQ(m_folder.Path(r.first) + ": " + r.second, error);
    }
    EXPECT_EQ(1u, m_materials.size());
}

// Lines end at line feeds only: a NUL is one more character of its line.
TEST_F(OgreXmlMaterialReaderTest, NulCharactersDoNotEndTheText)
{
    ASSERT_TRUE(Load(std::string("// a") + '\0' + "b\nmaterial A\n{\n\tdiffuse 1 0 0 1\n}\n"));
    ASSERT_EQ(1u, m_materials.size());
    ASSERT_TRUE(Get("A"));
    ExpectNear(Get("A")->GetDiffuseColor(), 1, 0, 0, 1);
}

namespace {

// A material as the project's own material files write it.
std::string OwnMaterial(const std::string& name, const std::string& pass)
{
    return "material " + name + "\n{\n\ttechnique\n\t{\n\t\tpass\n\t\t{\n" + pass + "\t\t}\n\t}\n}\n\n";
}
std::string OwnUnit(const std::string& texture)
{
    return "\t\t\ttexture_unit\n\t\t\t{\n\t\t\t\ttexture " + texture + "\n\t\t\t}\n";
}
const std::string kRockPass = "\t\t\tambient 0.5 0.5 0.5 1\n\t\t\tdiffuse 1 1 1 1\n" + OwnUnit("rock.png");
const std::string kOwnRock = OwnMaterial("Rock", kRockPass);
const std::string kOwnWaterRock = OwnMaterial("Water", "\t\t\tdiffuse 0 0.2 0.8 1\n" + OwnUnit("water.png")) + kOwnRock;

std::string Replaced(std::string text, const std::string& from, const std::string& to)
{
    const size_t at = text.find(from);
    return at == std::string::npos ? text + "(no " + from + ")" : text.replace(at, from.size(), to);
}

// Every material of the table with its colours and texture files.
std::string Reading(const MaterialMap& materials)
{
    std::ostringstream out;
    const auto file = [](const boost::shared_ptr<ITexture>& t) {
        return t ? static_cast<RecordingTexture*>(t.get())->GetFileName() : std::string("-");
    };
    for (const auto& m : materials) {
        out << m.first << ":";
        for (const Vector4<float>* c : {&m.second->GetAmbientColor(), &m.second->GetDiffuseColor(),
                                        &m.second->GetSpecularColor()})
            out << " " << c->x << " " << c->y << " " << c->z << " " << c->w << ";";
        out << " " << file(m.second->GetDiffuseTexture()) << " " << file(m.second->GetNormalMap()) << "\n";
    }
    return out.str();
}

} // namespace

// Material scripts as editors and exporters write them: each reads as the
// same materials in the project's own layout.
TEST_F(OgreXmlMaterialReaderTest, EditorsFormsReadAsTheProjectsOwn)
{
    const struct
    {
        const char* what;
        std::string text;
        std::string own;
    } table[] = {
        {"byte-order mark", "\xEF\xBB\xBF" + kOwnWaterRock, kOwnWaterRock},
        {"comment after a three-value colour", Replaced(kOwnRock, "diffuse 1 1 1 1", "diffuse 1 1 1 // white"), kOwnRock},
        {"comment after the name", Replaced(kOwnRock, "material Rock", "material Rock // cliffs {"), kOwnRock},
        {"brace right after the name", Replaced(kOwnRock, "material Rock\n{", "material Rock{"), kOwnRock},
        {"texture unit on one line", Replaced(kOwnRock, OwnUnit("rock.png"), "\t\t\ttexture_unit { texture rock.png }\n"),
         kOwnRock},
        {"pass on one line", OwnMaterial("Rock", "") + "material Moss { technique { pass { diffuse 0 1 0 1 } } }\n",
         OwnMaterial("Rock", "") + OwnMaterial("Moss", "\t\t\tdiffuse 0 1 0 1\n")},
        {"next block opened on the closing line", Replaced(kOwnWaterRock, "}\n\nmaterial Rock\n{", "} material Rock {"),
         kOwnWaterRock},
        {"older material commented out above",
         "/*\n" + OwnMaterial("Rock", "\t\t\tambient 0.2 0.2 0.2 1\n" + OwnUnit("stone.png")) + "*/\n" + kOwnRock, kOwnRock},
        {"comment inside a statement", Replaced(kOwnRock, "ambient 0.5 0.5", "ambient 0.5/* grey */0.5"), kOwnRock},
        {"braces and keywords in comments",
         Replaced(kOwnRock, "\t\t\tdiffuse", "\t\t\t// } texture old.png\n\t\t\t/* {\n\t\t\tdiffuse 0 0 0 1 */ diffuse"),
         kOwnRock},
        {"CR LF and a comment against the name",
         ModelTestFiles::ToCrLf(Replaced(kOwnWaterRock, "material Rock\n", "material Rock// cliffs\n")), kOwnWaterRock},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(row.what);
        CoutCapture out;
        MaterialMap own;
        ASSERT_TRUE(Loader::LoadMaterialsFromFile(m_folder.Write("own.material", row.own), &own));
        m_materials.clear();
        std::string error;
        EXPECT_TRUE(Loader::LoadMaterialsFromFile(m_folder.Write("m.material", row.text), &m_materials, &error)) << error;
        EXPECT_EQ(Reading(own), Reading(m_materials));
        EXPECT_EQ("", out.Text());
    }
}
