#include "AssertRecorder.h"
#include "GLRendererFixture.h"

#include "RenderGL/effects/GLWireframeEffect.h"
#include "RenderGL/effects/api/glsl/GLSLProgram.h"

#include <gtest/gtest.h>

namespace {

class GLWireframeEffectTest : public GLRendererFixture<>
{
};

TEST_F(GLWireframeEffectTest, EffectsShareTheCachedProgramOrReportItsAbsence)
{
    UseShippedEffects();
    {
        Vorm::GLWireframeEffect first, second;
        ASSERT_TRUE(first.GetApiEffect());
        EXPECT_EQ(first.GetApiEffect(), second.GetApiEffect());
        EXPECT_EQ(first.GetApiEffect(), m_renderer->CreateApiEffect("WireframeEffect.glslfx"));
        EXPECT_TRUE(dynamic_cast<Vorm::GLSLProgram*>(first.GetApiEffect().get()));
    }
    m_folder.Remove("WireframeEffect.glslfx");
    NewRenderer();
    AssertRecorder rec;
    Vorm::GLWireframeEffect missing;
    EXPECT_FALSE(missing.GetApiEffect());
    EXPECT_TRUE(rec.Saw("m_spApiEffect && \"Can not load WireframeEffect.glslfx\""));
}

} // namespace
