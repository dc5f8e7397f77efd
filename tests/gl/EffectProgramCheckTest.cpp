#include "AssertRecorder.h"
#include "GLRendererFixture.h"
#include "ModelTestFiles.h"

#include "RenderGL/effects/GLGrassEffect.h"
#include "RenderGL/effects/GLMaterialEffect.h"
#include "RenderGL/effects/GLShadowMappingEffect.h"
#include "RenderGL/effects/GLSkyboxEffect.h"
#include "RenderGL/effects/GLWaterEffect.h"
#include "RenderGL/effects/GLWireframeEffect.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>

namespace {

class EffectProgramCheckTest : public GLRendererFixture<>
{
protected:
    // The shipped effects, with every whole `word` in `shader` replaced, for
    // a fresh renderer; `shown` must stand in the shader as shipped.
    void UseShippedWithRenamed(const char* shader, const std::string& shown, const std::string& word,
                               const std::string& replacement)
    {
        UseShippedEffects();
        const std::string source = ModelTestFiles::ReadText(m_folder.Path(shader));
        ASSERT_NE(std::string::npos, source.find(shown));
        m_folder.Write(shader, std::regex_replace(source, std::regex("\\b" + word + "\\b"), replacement));
        NewRenderer();
    }
};

typedef bool (*Check)(std::string*);

TEST_F(EffectProgramCheckTest, ShippedProgramsPassAndAUniformAnEffectTakesAsGivenIsNamedWhenMissing)
{
    UseShippedEffects();
    const Check all[] = {&Vorm::GLMaterialEffect::CheckProgram, &Vorm::GLWaterEffect::CheckPrograms,
                         &Vorm::GLSkyboxEffect::CheckProgram, &Vorm::GLShadowMappingEffect::CheckProgram,
                         &Vorm::GLWireframeEffect::CheckProgram, &Vorm::GLGrassEffect::CheckProgram};
    for (Check check : all) {
        std::string error;
        EXPECT_TRUE(check(&error)) << error;
    }

    // The uniform renamed in the shader that declares it: the program still
    // builds, but the effect would assert on it.
    const struct
    {
        Check check;
        const char* shader;
        const char* uniform;
        const char* effect;
    } renamed[] = {
        {&Vorm::GLWaterEffect::CheckPrograms, "WaterEffect.frag", "Sampler_Refraction", "WaterEffect.glslfx"},
        {&Vorm::GLSkyboxEffect::CheckProgram, "SkyboxEffect.frag", "Sampler_Cubemap", "SkyboxEffect.glslfx"},
        {&Vorm::GLShadowMappingEffect::CheckProgram, "ShadowMapping.vert", "Matrix_LVP", "ShadowMapping.glslfx"},
        {&Vorm::GLGrassEffect::CheckProgram, "GrassEffect.vert", "camRight", "GrassEffect.glslfx"},
    };
    AssertRecorder rec;
    for (const auto& row : renamed) {
        SCOPED_TRACE(row.uniform);
        UseShippedWithRenamed(row.shader, row.uniform, row.uniform, "Renamed");
        std::string error;
        EXPECT_FALSE(row.check(&error));
        EXPECT_EQ(m_folder.Path(row.effect) + ": its program has no uniform \"" + row.uniform + "\"", error);
    }
    EXPECT_TRUE(rec.Failures().empty());

    // A program that does not build: its reason comes through.
    UseShippedEffects();
    m_folder.Remove("WireframeEffect.frag");
    NewRenderer();
    std::string error;
    EXPECT_FALSE(Vorm::GLWireframeEffect::CheckProgram(&error));
    EXPECT_EQ(m_folder.Path("WireframeEffect.glslfx") + ": the shader " + m_folder.Path("WireframeEffect.frag") +
                  " cannot be opened",
              error);
}

TEST_F(EffectProgramCheckTest, AVertexInputTheGeometryOfItsEffectLacksIsNamedWithItsShader)
{
    const std::string mesh = "\"normal\", \"pos\", \"tangent\", \"tex0\"";
    // "pos" renamed in the vertex shader of each program: it still builds,
    // but drawing would assert on the input nothing feeds.
    const struct
    {
        Check check;
        const char* shader;
        const char* effect;
        std::string gives;
    } renamed[] = {
        {&Vorm::GLMaterialEffect::CheckProgram, "MaterialEffect.vert", "MaterialEffect.glslfx", mesh},
        {&Vorm::GLWaterEffect::CheckPrograms, "WaterEffect.vert", "WaterEffect.glslfx", mesh},
        {&Vorm::GLWaterEffect::CheckPrograms, "WaterAlphaMaskEffect.vert", "WaterAlphaMaskEffect.glslfx", mesh},
        {&Vorm::GLWaterEffect::CheckPrograms, "SkyboxEffect.vert", "SkyboxEffect.glslfx", "\"pos\""},
        {&Vorm::GLSkyboxEffect::CheckProgram, "SkyboxEffect.vert", "SkyboxEffect.glslfx", "\"pos\""},
        {&Vorm::GLShadowMappingEffect::CheckProgram, "ShadowMapping.vert", "ShadowMapping.glslfx", mesh},
        {&Vorm::GLWireframeEffect::CheckProgram, "WireframeEffect.vert", "WireframeEffect.glslfx", mesh},
        {&Vorm::GLGrassEffect::CheckProgram, "GrassEffect.vert", "GrassEffect.glslfx", "\"pos\", \"sc2_tx2\""},
    };
    AssertRecorder rec;
    for (const auto& row : renamed) {
        SCOPED_TRACE(row.shader);
        UseShippedWithRenamed(row.shader, "in vec3 pos;", "pos", "poss");
        std::string error;
        EXPECT_FALSE(row.check(&error));
        EXPECT_EQ(m_folder.Path(row.shader) + " (of " + m_folder.Path(row.effect) +
                      "): its vertex input \"poss\" is not among the attributes of the geometry it draws (" +
                      row.gives + ")",
                  error);
    }

    // One shader, two effects: meshes give "normal", the sky's box does not.
    // Inputs a shader leaves out are no fault.
    const std::string readsNormal = "#version 140\nin vec3 pos;\nin vec3 normal;\nuniform mat4 Matrix_MVP;\n"
                                    "out vec3 vDirection;\nvoid main() { vDirection = normal; "
                                    "gl_Position = Matrix_MVP * vec4(pos, 1.0); }\n";
    UseShippedEffects();
    m_folder.Write("WireframeEffect.vert", readsNormal);
    m_folder.Write("SkyboxEffect.vert", readsNormal);
    NewRenderer();
    std::string error;
    EXPECT_TRUE(Vorm::GLWireframeEffect::CheckProgram(&error)) << error;
    EXPECT_FALSE(Vorm::GLSkyboxEffect::CheckProgram(&error));
    EXPECT_NE(std::string::npos, error.find("its vertex input \"normal\" is not among")) << error;

    // The right name with another type.
    UseShippedEffects();
    m_folder.Write("WireframeEffect.vert", "#version 140\nin vec4 pos;\nuniform mat4 Matrix_MVP;\n"
                                           "void main() { gl_Position = Matrix_MVP * pos; }\n");
    NewRenderer();
    EXPECT_FALSE(Vorm::GLWireframeEffect::CheckProgram(&error));
    EXPECT_EQ(m_folder.Path("WireframeEffect.vert") + " (of " + m_folder.Path("WireframeEffect.glslfx") +
                  "): its vertex input \"pos\" differs in type or size from the attribute of the geometry it draws",
              error);
    EXPECT_TRUE(rec.Failures().empty());
}

} // namespace
