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
        UseShippedEffects();
        const std::string source = ModelTestFiles::ReadText(m_folder.Path(row.shader));
        ASSERT_NE(std::string::npos, source.find(row.uniform));
        m_folder.Write(row.shader,
                       std::regex_replace(source, std::regex(std::string("\\b") + row.uniform + "\\b"), "Renamed"));
        NewRenderer();
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

} // namespace
