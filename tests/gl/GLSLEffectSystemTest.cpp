#include "GLFixture.h"
#include "RepoFiles.h"
#include "TestShaders.h"

#include "RenderGL/effects/api/glsl/GLSLEffectSystem.h"
#include "RenderGL/effects/api/glsl/GLSLProgram.h"
#include "RenderGL/effects/api/glsl/GLSLShader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <tuple>

using Vorm::GLSLEffectSystem;
using Vorm::GLSLProgram;

namespace {

typedef std::vector<std::string> Names;

// --- the effect-file reader (no GL needed) ------------------------------------

struct Expected
{
    std::string technique, pass;
    Names vertex, fragment, geometry;
};

TEST(GLSLEffectReader, ReadsWellFormedTexts)
{
    const std::string longName(GLSLEffectSystem::kMaxBlockName, 'n');
    // What, text, the passes in order technique by technique, the number of techniques.
    const std::tuple<const char*, std::string, std::vector<Expected>, size_t> cases[] = {
        {"named blocks",
         "technique main {\n pass p0 {\n  VertexShader = <a.vert>;\n  FragmentShader = <a.frag>;\n }\n}\n",
         {{"main", "p0", {"a.vert"}, {"a.frag"}, {}}}, 1},
        {"unnamed blocks are numbered by keyword",
         "technique { pass { VertexShader<v1> } pass { FragmentShader<f2> } }\n"
         "technique { pass { VertexShader<v3> } }",
         {{"technique1", "pass1", {"v1"}, {}, {}},
          {"technique1", "pass2", {}, {"f2"}, {}},
          {"technique2", "pass1", {"v3"}, {}, {}}}, 2},
        {"numbers count named blocks too",
         "technique first { pass { VertexShader<a> } } technique { pass { VertexShader<b> } }",
         {{"first", "pass1", {"a"}, {}, {}}, {"technique2", "pass1", {"b"}, {}, {}}}, 2},
        {"several files of a kind keep their order; names are verbatim",
         "technique t{pass p{VertexShader=<x.vert> FragmentShader=< f.frag > VertexShader\n=\n<y.vert>}}",
         {{"t", "p", {"x.vert", "y.vert"}, {" f.frag "}, {}}}, 1},
        {"geometry shaders are passed through",
         "technique t { pass p { VertexShader=<v> GeometryShader=<g.geom> FragmentShader=<f> } }",
         {{"t", "p", {"v"}, {"f"}, {"g.geom"}}}, 1},
        {"a name of the longest length", "technique " + longName + " { pass { VertexShader<v> } }",
         {{longName, "pass1", {"v"}, {}, {}}}, 1},
        {"no technique at all", "// nothing here\n", {}, 0},
        {"a technique without passes", "technique empty { }", {}, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::get<0>(c));
        const std::vector<Expected>& passes = std::get<2>(c);
        std::vector<GLSLEffectSystem::TechniqueDesc> techniques;
        std::string error;
        ASSERT_TRUE(GLSLEffectSystem::ParseEffect(std::get<1>(c), techniques, error)) << error;
        ASSERT_EQ(std::get<3>(c), techniques.size());
        size_t k = 0;
        for (const GLSLEffectSystem::TechniqueDesc& t : techniques)
            for (const GLSLEffectSystem::PassDesc& p : t.m_passes) {
                ASSERT_LT(k, passes.size());
                const Expected& e = passes[k++];
                EXPECT_EQ(e.technique, t.m_name);
                EXPECT_EQ(e.pass, p.m_name);
                EXPECT_EQ(e.vertex, p.m_vertexShaders);
                EXPECT_EQ(e.fragment, p.m_fragmentShaders);
                EXPECT_EQ(e.geometry, p.m_geometryShaders);
            }
        EXPECT_EQ(passes.size(), k);
    }
}

TEST(GLSLEffectReader, RejectsMalformedTexts)
{
    const std::string tooLong(GLSLEffectSystem::kMaxBlockName + 1, 'n');
    const std::pair<const char*, std::string> cases[] = {
        {"technique without '{'", "technique main"},
        {"technique never closed", "technique main { pass { VertexShader=<a> }"},
        {"pass without '{' in its technique", "technique main { pass p }"},
        {"pass '{' only after the technique", "technique main { pass } {"},
        {"pass never closed", "technique { pass { VertexShader=<a> "},
        {"shader without '<'", "technique { pass { VertexShader = a.vert; } }"},
        {"shader '<' only after the pass", "technique { pass { VertexShader = } <a> }"},
        {"shader without '>'", "technique { pass { FragmentShader = <a.frag } }"},
        {"text ends inside a file name", "technique { pass { VertexShader = <a.vert"},
        {"empty file name", "technique { pass { VertexShader = <> } }"},
        {"block name too long", "technique " + tooLong + " { }"},
        {"trailing keyword", "technique { pass { VertexShader<a> } }\n// next technique"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.first);
        std::vector<GLSLEffectSystem::TechniqueDesc> techniques;
        std::string error;
        EXPECT_FALSE(GLSLEffectSystem::ParseEffect(c.second, techniques, error));
        EXPECT_FALSE(error.empty());
    }
}

TEST(GLSLEffectSystem, SetEffectPathEndsTheFolderWithASeparator)
{
    const std::pair<const char*, const char*> cases[] = {{"../data/effects", "../data/effects/"},
                                                         {"../data/effects/", "../data/effects/"},
                                                         {"..\\data\\effects\\", "..\\data\\effects\\"},
                                                         {"", ""}};
    GLSLEffectSystem system;
    for (const auto& c : cases) {
        system.SetEffectPath(c.first);
        EXPECT_EQ(c.second, system.GetEffectPath());
    }
}

// --- loading effects on a context ----------------------------------------------

class GLSLEffectSystemTest : public GLFixture
{
protected:
    void SetUp() override
    {
        GLFixture::SetUp();
        if (HasFatalFailure())
            return;
        TestShaders::WriteFlat(m_folder);
        m_system.SetEffectPath(m_folder.Dir());
    }

    static std::vector<GLuint> Attached(const GLSLProgram& p)
    {
        GLuint shaders[8] = {};
        GLsizei count = 0;
        glGetAttachedShaders(p.GetHandle(), 8, &count, shaders);
        return std::vector<GLuint>(shaders, shaders + count);
    }
    static GLSLProgram* AsProgram(const boost::shared_ptr<Vorm::ApiEffect>& e)
    {
        return dynamic_cast<GLSLProgram*>(e.get());
    }
    bool Cached(const std::string& shader) const { return bool(m_system.FindShader(m_folder.Path(shader))); }

    GLSLEffectSystem m_system;
};

TEST_F(GLSLEffectSystemTest, EffectsAreLoadedOnceAndFailedLoadsAreNotCached)
{
    EXPECT_FALSE(m_system.GetEffect("Later.glslfx"));
    m_folder.Write("Empty.glslfx", "");
    EXPECT_FALSE(m_system.GetEffect("Empty.glslfx"));
    m_folder.Write("Broken.glslfx", "technique t { pass { VertexShader = <pos.vert");
    EXPECT_FALSE(m_system.GetEffect("Broken.glslfx"));
    EXPECT_EQ(0u, m_system.GetCachedEffectCount());

    m_folder.Write("Later.glslfx", TestShaders::Effect("pos.vert", "color.frag"));
    boost::shared_ptr<Vorm::ApiEffect> first = m_system.GetEffect("Later.glslfx");
    ASSERT_NE(nullptr, AsProgram(first));
    Vorm::GLSLUniformParam color;
    EXPECT_TRUE(AsProgram(first)->GetUniform("Color", color)); // linked
    // Gone from disk: the second request cannot have read it.
    m_folder.Remove("Later.glslfx");
    EXPECT_EQ(first, m_system.GetEffect("Later.glslfx"));
    EXPECT_EQ(1u, m_system.GetCachedEffectCount());
}

TEST_F(GLSLEffectSystemTest, ShadersThatCompileAreSharedEffectsWithAFaultyShaderAreRefusedNamingIt)
{
    m_folder.Write("other.frag", "#version 140\nout vec4 o;\nvoid main() { o = vec4(0.5); }\n");
    const char* effects[2][2] = {{"A.glslfx", "color.frag"}, {"B.glslfx", "other.frag"}};
    std::vector<GLSLProgram*> p;
    for (const auto& e : effects) {
        m_folder.Write(e[0], TestShaders::Effect("pos.vert", e[1]));
        p.push_back(AsProgram(m_system.GetEffect(e[0])));
        ASSERT_NE(nullptr, p.back()) << e[0];
    }
    ASSERT_TRUE(Cached("pos.vert"));
    const GLuint shared = m_system.FindShader(m_folder.Path("pos.vert"))->GetHandle();
    for (int i = 0; i < 2; ++i) {
        const std::vector<GLuint> in = Attached(*p[i]);
        EXPECT_EQ(1, std::count(in.begin(), in.end(), shared)) << effects[i][0];
    }
    EXPECT_NE(p[0], p[1]);

    // The fault, with the effect file and the shader at fault as opened.
    m_folder.Write("bad.frag", "#version 140\nvoid main() { nothing(); }\n");
    m_folder.Write("empty.frag", "");
    m_folder.Write("nomain.frag", "#version 140\nout vec4 o;\n");
    const std::string bad = m_folder.Path("bad.frag");
    const std::tuple<const char*, const char*, std::string> faulty[] = {
        {"Bad.glslfx", "bad.frag", "the shader " + bad + " does not compile: 0:2("},
        {"Missing.glslfx", "absent.frag", "the shader " + m_folder.Path("absent.frag") + " cannot be opened"},
        {"Empty.glslfx", "empty.frag", "the shader " + m_folder.Path("empty.frag") + " is empty"},
        {"NoMain.glslfx", "nomain.frag",
         "its shaders " + m_folder.Path("pos.vert") + " and " + m_folder.Path("nomain.frag") + " do not link: "},
    };
    for (const auto& f : faulty) {
        SCOPED_TRACE(std::get<0>(f));
        m_folder.Write(std::get<0>(f), TestShaders::Effect("pos.vert", std::get<1>(f)));
        std::string error;
        EXPECT_FALSE(m_system.GetEffect(std::get<0>(f), &error));
        EXPECT_EQ(0u, error.find(m_folder.Path(std::get<0>(f)) + ": " + std::get<2>(f))) << error;
        // One line, whatever the log holds.
        EXPECT_EQ(std::string::npos, error.find('\n')) << error;
    }
    EXPECT_EQ(2u, m_system.GetCachedEffectCount());
    // pos.vert, color.frag, other.frag and the one that compiled: nomain.frag.
    EXPECT_EQ(4u, m_system.GetShaderCacheSize());
    EXPECT_FALSE(Cached("bad.frag"));
    EXPECT_FALSE(Cached("absent.frag"));
    EXPECT_FALSE(Cached("empty.frag"));
}

TEST_F(GLSLEffectSystemTest, EffectFilesThatAreMissingEmptyOrWithoutShadersAreRefusedNamingThem)
{
    m_folder.Write("Empty.glslfx", "");
    m_folder.Write("NoTechnique.glslfx", "pass p { VertexShader = <pos.vert>; }\n");
    m_folder.Write("NoShader.glslfx", "technique t { pass p { } }\n");
    m_folder.Write("Cut.glslfx", "technique t { pass { VertexShader = <pos.vert");
    const std::pair<const char*, const char*> cases[] = {
        {"Gone.glslfx", "cannot open"},
        {"Empty.glslfx", "is empty"},
        {"NoTechnique.glslfx", "has no technique"},
        {"NoShader.glslfx", "technique \"t\" names no shader"},
        {"Cut.glslfx", "malformed: "},
    };
    for (const auto& c : cases) {
        std::string error;
        EXPECT_FALSE(m_system.GetEffect(c.first, &error));
        EXPECT_EQ(0u, error.find(m_folder.Path(c.first) + ": " + c.second)) << error;
    }
    EXPECT_EQ(0u, m_system.GetCachedEffectCount());
}

TEST_F(GLSLEffectSystemTest, ShaderNamesAreRelativeToTheEffectsOwnFolder)
{
    std::filesystem::create_directory(m_folder.Path("sub"));
    m_folder.Write("sub/pos.vert", TestShaders::PositionVS());
    m_folder.Write("sub/color.frag", TestShaders::ColorFS());
    m_folder.Write("sub/E.glslfx", TestShaders::Effect("pos.vert", "color.frag"));
    ASSERT_TRUE(m_system.GetEffect("sub/E.glslfx"));
    EXPECT_TRUE(Cached("sub/pos.vert"));
    EXPECT_FALSE(Cached("pos.vert"));

    // With no folder at all, the text's names are used as they are.
    GLSLEffectSystem bare;
    std::unique_ptr<GLSLProgram> p(
        bare.CreateEffect(TestShaders::Effect(m_folder.Path("pos.vert"), m_folder.Path("color.frag")), ""));
    ASSERT_TRUE(p);
    EXPECT_TRUE(bare.FindShader(m_folder.Path("pos.vert")));
}

TEST_F(GLSLEffectSystemTest, APassAttachesEveryShaderInOrderAndEveryTechniqueLinksTheOneProgram)
{
    m_folder.Write("main.vert", "#version 140\nin vec3 pos;\nvec4 Place(vec3 p);\n"
                                "void main() { gl_Position = Place(pos); }\n");
    m_folder.Write("place.vert", "#version 140\nvec4 Place(vec3 p) { return vec4(p, 1.0); }\n");
    std::unique_ptr<GLSLProgram> p(m_system.CreateEffect(
        "technique t { pass p { VertexShader=<main.vert> FragmentShader=<color.frag> VertexShader=<place.vert> } }\n"
        "technique b { pass { } }",
        m_folder.Dir()));
    // (The second technique adds nothing; it links the one program again.)
    ASSERT_TRUE(p);
    ASSERT_EQ(3u, p->GetShaders().size());
    // Vertex shaders first, in order of appearance, then the fragment shader.
    EXPECT_EQ(m_folder.Path("main.vert"), p->GetShaders()[0]->GetPath());
    EXPECT_EQ(m_folder.Path("place.vert"), p->GetShaders()[1]->GetPath());
    EXPECT_EQ(unsigned(GL_FRAGMENT_SHADER), p->GetShaders()[2]->GetType());
    EXPECT_EQ(3u, Attached(*p).size());
    EXPECT_EQ(1u, p->GetAttributes().size()); // linked across the two vertex shaders
    EXPECT_TRUE(GLSLProgram::IsLinkVersionCurrent(p->GetUid(), 1));

    // A program that would draw nothing is none.
    std::string error;
    EXPECT_FALSE(m_system.CreateEffect("// nothing to draw", m_folder.Dir(), &error));
    EXPECT_EQ("has no technique", error);
}

TEST_F(GLSLEffectSystemTest, GeometryShaderEffectLinksOnlyWhereTheContextHasTheStage)
{
    m_folder.Write("pass.geom", "#version 150\nlayout(triangles) in;\nlayout(triangle_strip, max_vertices = 3) out;\n"
                                "void main() {\n"
                                "  for (int i = 0; i < 3; ++i) { gl_Position = gl_in[i].gl_Position; EmitVertex(); }\n"
                                "  EndPrimitive();\n}\n");
    m_folder.Write("Geo.glslfx", "technique t { pass p { VertexShader=<pos.vert> GeometryShader=<pass.geom> "
                                 "FragmentShader=<color.frag> } }");
    std::string error;
    GLSLProgram* p = AsProgram(m_system.GetEffect("Geo.glslfx", &error));
    if (TestShaders::ContextOffersGL32()) {
        ASSERT_NE(nullptr, p) << error;
        ASSERT_EQ(3u, p->GetShaders().size());
        EXPECT_EQ(unsigned(GL_GEOMETRY_SHADER), p->GetShaders()[2]->GetType());
        GLint type = 0;
        glGetShaderiv(m_system.FindShader(m_folder.Path("pass.geom"))->GetHandle(), GL_SHADER_TYPE, &type);
        EXPECT_EQ(GL_GEOMETRY_SHADER, type);
        EXPECT_FALSE(p->GetUniformMap().empty());
    } else {
        // Refused cleanly (TearDown checks that no GL error was queued),
        // naming the stage the context lacks.
        EXPECT_EQ(nullptr, p);
        EXPECT_NE(std::string::npos, error.find(m_folder.Path("pass.geom") + " does not compile: shader type not "
                                                "supported by this GL context"))
            << error;
        EXPECT_FALSE(Cached("pass.geom"));
    }
}

} // namespace

namespace {

// Every effect the system ships compiles and links on the 3.1 context.
TEST_F(GLSLEffectSystemTest, EveryShippedEffectBuilds)
{
    const std::filesystem::path folder = RepoPath("data/effects");
    m_system.SetEffectPath(folder.string());
    int effects = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.path().extension() != ".glslfx")
            continue;
        ++effects;
        EXPECT_TRUE(AsProgram(m_system.GetEffect(entry.path().filename().string()))) << entry.path();
    }
    EXPECT_GE(effects, 6);
}

} // namespace

namespace {

// One file compiles for one stage: named for two it is refused, with the
// effect file, whether both stages are in one effect or the other stage was
// an earlier effect's. Named twice for one stage it is attached once. GL
// never sees a second attachment, so no error is left for a later check to
// blame on something else.
TEST_F(GLSLEffectSystemTest, AShaderFileNamedForTwoStagesIsRefusedAndOneNamedTwiceAttachedOnce)
{
    const struct
    {
        const char* effect;
        std::string text, shader, stages;
    } refused[] = {
        {"Double.glslfx", TestShaders::Effect("pos.vert", "pos.vert"), "pos.vert", "vertex and fragment"},
        {"Later.glslfx", TestShaders::Effect("color.frag", "color.frag"), "color.frag", "fragment and vertex"},
    };
    ASSERT_TRUE(m_system.GetEffect("Flat.glslfx"));
    for (const auto& r : refused) {
        SCOPED_TRACE(r.effect);
        m_folder.Write(r.effect, r.text);
        std::string error;
        EXPECT_FALSE(m_system.GetEffect(r.effect, &error));
        EXPECT_EQ(m_folder.Path(r.effect) + ": the shader " + m_folder.Path(r.shader) + " is named for two stages, " +
                      r.stages,
                  error);
        EXPECT_EQ(GLenum(GL_NO_ERROR), glGetError());
    }

    m_folder.Write("Twice.glslfx", "technique a { pass { VertexShader = <pos.vert>; FragmentShader = <color.frag>; "
                                   "VertexShader = <pos.vert>; } }\n"
                                   "technique b { pass { VertexShader = <pos.vert>; FragmentShader = <color.frag>; } }\n");
    GLSLProgram* twice = AsProgram(m_system.GetEffect("Twice.glslfx"));
    ASSERT_TRUE(twice);
    EXPECT_EQ(2u, twice->GetShaders().size());
    EXPECT_EQ(2u, Attached(*twice).size());
    EXPECT_EQ(GLenum(GL_NO_ERROR), glGetError());
}

} // namespace
