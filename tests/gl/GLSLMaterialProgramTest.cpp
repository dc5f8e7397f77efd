#include "GLReadBack.h"
#include "GLRendererFixture.h"

#include "Core/Math/MatrixBuilders.h"
#include "Core/Rendering/IRenderTarget.h"
#include "Core/Scenegraph/Light.h"
#include "Render/RenderGL/effects/api/glsl/GLSLMaterialProgram.h"
#include "Render/RenderGL/effects/api/glsl/GLSLProgram.h"

#include <gtest/gtest.h>

using Vorm::GLSLMaterialProgram;
using Vorm::GLSLProgram;
using Vorm::Light;

namespace {

// GLSL 1.40 allows no variable index into a structure array holding
// samplers, so the lights are read with constant indices.
const char* kMaterialFS =
    "#version 140\n"
    "struct Light {\n"
    "  vec3 Direction;\n"
    "  vec4 ColorAmbient;\n"
    "  vec4 ColorDiffuse;\n"
    "  vec4 ColorSpecular;\n"
    "  int IsShadowCaster;\n"
    "  int Nmb_ShadowMaps;\n"
    "  float ShadowFarDist[3];\n"
    "  sampler2D Tex_ShadowMap1;\n"
    "  sampler2D Tex_ShadowMap2;\n"
    "  sampler2D Tex_ShadowMap3;\n"
    "  mat4 Mat_LightProjView1;\n"
    "  mat4 Mat_LightProjView2;\n"
    "  mat4 Mat_LightProjView3;\n"
    "};\n"
    "uniform Light Lights[8];\n"
    "uniform vec4 Color_Diffuse;\n"
    "out vec4 fragColor;\n"
    "#define LIGHT(i) (vec4(Lights[i].Direction, float(Lights[i].IsShadowCaster + Lights[i].Nmb_ShadowMaps))"
    " + Lights[i].ColorAmbient + Lights[i].ColorDiffuse + Lights[i].ColorSpecular"
    " + vec4(Lights[i].ShadowFarDist[0] + Lights[i].ShadowFarDist[1] + Lights[i].ShadowFarDist[2])"
    " + texture(Lights[i].Tex_ShadowMap1, vec2(0.5)) + texture(Lights[i].Tex_ShadowMap2, vec2(0.5))"
    " + texture(Lights[i].Tex_ShadowMap3, vec2(0.5))"
    " + Lights[i].Mat_LightProjView1[0] + Lights[i].Mat_LightProjView2[1] + Lights[i].Mat_LightProjView3[2])\n"
    "void main() { fragColor = LIGHT(0) + LIGHT(1) + Color_Diffuse; }\n";

class GLSLMaterialProgramTest : public GLRendererFixture<>
{
protected:
    void SetUp() override
    {
        GLRendererFixture::SetUp();
        if (HasFatalFailure())
            return;
        m_folder.Write("material.frag", kMaterialFS);
        m_folder.Write("MaterialEffect.glslfx", TestShaders::Effect("pos.vert", "material.frag"));
        m_light = m_renderer->GetLights()[0];
    }
    void TearDown() override
    {
        m_material.reset();
        m_light.reset();
        GLRendererFixture::TearDown();
    }

    // Makes the material program current through the renderer.
    void Enable()
    {
        if (!m_material)
            m_material = m_renderer->CreateMaterialApiEffect("MaterialEffect.glslfx");
        ASSERT_TRUE(m_material);
        m_renderer->SetApiEffect(m_material);
    }
    GLuint Program() const { return ProgramHandle(m_material); }
    std::vector<float> Floats(const std::string& name, int n) const { return UniformFloats(Program(), name, n); }
    int Int(const std::string& name) const { return UniformInt(Program(), name); }
    static GLint DepthTextureOf(const Light& light, unsigned split)
    {
        return TextureHandle(light.GetShadowMap(split)->GetDepthTexture());
    }
    static std::vector<float> V(const Vector4<float>& v) { return {v.x, v.y, v.z, v.w}; }
    static std::vector<float> V(const Vector3<float>& v) { return {v.x, v.y, v.z}; }

    boost::shared_ptr<Light> m_light;
    boost::shared_ptr<Vorm::ApiEffect> m_material;
};

TEST_F(GLSLMaterialProgramTest, UploadsLightZeroWithTwoShadowMapsOnUnitsFiveAndSix)
{
    m_light->SetDirection(Vector3<float>(0.3f, -0.8f, 0.5f));
    m_light->SetDiffuse(Vector4<float>(0.9f, 0.8f, 0.7f, 1.0f));
    m_light->SetSpecular(Vector4<float>(0.1f, 0.2f, 0.3f, 0.4f));
    m_light->CreateShadowMaps(true, 2, 32, 32);
    m_renderer->GetCamera()->SetPerspective(60.0f, 1.0f, 1.0f, 100.0f);
    m_light->UpdateShadows();
    Enable();

    EXPECT_EQ(V(m_light->GetDirection()), Floats("Lights[0].Direction", 3));
    EXPECT_EQ((std::vector<float>{0.2f, 0.2f, 0.2f, 1.0f}), Floats("Lights[0].ColorAmbient", 4));
    EXPECT_EQ((std::vector<float>{0.9f, 0.8f, 0.7f, 1.0f}), Floats("Lights[0].ColorDiffuse", 4));
    EXPECT_EQ((std::vector<float>{0.1f, 0.2f, 0.3f, 0.4f}), Floats("Lights[0].ColorSpecular", 4));
    EXPECT_EQ(1, Int("Lights[0].IsShadowCaster"));
    EXPECT_EQ(2, Int("Lights[0].Nmb_ShadowMaps"));
    // Split point of the mixed log/uniform scheme for 1..100: 30.25.
    EXPECT_FLOAT_EQ(30.25f, Floats("Lights[0].ShadowFarDist[0]", 1)[0]);
    EXPECT_FLOAT_EQ(100.0f, Floats("Lights[0].ShadowFarDist[1]", 1)[0]);
    EXPECT_EQ(0.0f, Floats("Lights[0].ShadowFarDist[2]", 1)[0]);

    EXPECT_EQ(5, Int("Lights[0].Tex_ShadowMap1"));
    EXPECT_EQ(6, Int("Lights[0].Tex_ShadowMap2"));
    EXPECT_EQ(0, Int("Lights[0].Tex_ShadowMap3"));
    EXPECT_EQ(DepthTextureOf(*m_light, 0), TextureOnUnit(5));
    EXPECT_EQ(DepthTextureOf(*m_light, 1), TextureOnUnit(6));
    EXPECT_EQ(0, TextureOnUnit(7));
    GLint active = 0;
    glGetIntegerv(GL_ACTIVE_TEXTURE, &active);
    EXPECT_EQ(GL_TEXTURE6, active);

    // The texture-space matrix: rows 0-2 are halfway between the shadow
    // matrix's row and its w row; row 3 is the w row.
    for (unsigned s = 0; s < 2; ++s) {
        SCOPED_TRACE(s);
        const Matrix44<float> shadow = m_light->GetShadowMatrix(s);
        const float* S = shadow.Ptr();
        const std::vector<float> T = Floats(s == 0 ? "Lights[0].Mat_LightProjView1" : "Lights[0].Mat_LightProjView2", 16);
        for (int c = 0; c < 4; ++c) {
            for (int r = 0; r < 3; ++r)
                EXPECT_NEAR(0.5f * S[4 * c + r] + 0.5f * S[4 * c + 3], T[4 * c + r], 1e-5f);
            EXPECT_NEAR(S[4 * c + 3], T[4 * c + 3], 1e-6f);
        }
    }
    EXPECT_EQ(std::vector<float>(16, 0.0f), Floats("Lights[0].Mat_LightProjView3", 16));

    // Lights[1] names no light of the renderer.
    EXPECT_EQ(std::vector<float>(3, 0.0f), Floats("Lights[1].Direction", 3));
    EXPECT_EQ(0, Int("Lights[1].Nmb_ShadowMaps"));
}

TEST_F(GLSLMaterialProgramTest, LightWithoutSplitsUploadsNoShadowState)
{
    Enable();
    EXPECT_EQ(V(m_light->GetDirection()), Floats("Lights[0].Direction", 3));
    EXPECT_EQ(0, Int("Lights[0].IsShadowCaster"));
    EXPECT_EQ(0, Int("Lights[0].Nmb_ShadowMaps"));
    EXPECT_EQ(0.0f, Floats("Lights[0].ShadowFarDist[0]", 1)[0]);
    EXPECT_EQ(0, Int("Lights[0].Tex_ShadowMap1"));
    EXPECT_EQ(std::vector<float>(16, 0.0f), Floats("Lights[0].Mat_LightProjView1", 16));
    for (int unit = 5; unit <= 7; ++unit)
        EXPECT_EQ(0, TextureOnUnit(unit)) << unit;
}

TEST_F(GLSLMaterialProgramTest, NonCasterWithSplitsStillGetsItsMaps)
{
    m_light->CreateShadowMaps(true, 1, 16, 16);
    m_light->SetCastShadows(false);
    // Far distances come only with the first shadow update: none is uploaded yet.
    Enable();
    EXPECT_EQ(0, Int("Lights[0].IsShadowCaster"));
    EXPECT_EQ(1, Int("Lights[0].Nmb_ShadowMaps"));
    EXPECT_EQ(0.0f, Floats("Lights[0].ShadowFarDist[0]", 1)[0]);
    EXPECT_EQ(5, Int("Lights[0].Tex_ShadowMap1"));
    EXPECT_EQ(DepthTextureOf(*m_light, 0), TextureOnUnit(5));
    // The shadow matrix starts as the identity: the texture matrix is the bias.
    const std::vector<float> bias = {0.5f, 0, 0, 0, 0, 0.5f, 0, 0, 0, 0, 0.5f, 0, 0.5f, 0.5f, 0.5f, 1};
    EXPECT_EQ(bias, Floats("Lights[0].Mat_LightProjView1", 16));
}

TEST_F(GLSLMaterialProgramTest, EveryEnableUploadsTheLightsAsTheyAreThen)
{
    Enable();
    EXPECT_EQ(1.0f, Floats("Lights[0].ColorDiffuse", 4)[0]);
    m_light->SetDiffuse(Vector4<float>(0.25f, 0.5f, 0.75f, 1.0f));
    EXPECT_EQ(1.0f, Floats("Lights[0].ColorDiffuse", 4)[0]);
    Enable();
    EXPECT_EQ((std::vector<float>{0.25f, 0.5f, 0.75f, 1.0f}), Floats("Lights[0].ColorDiffuse", 4));
}

TEST_F(GLSLMaterialProgramTest, LightsReachTheirOwnEntriesAndOnlyEightAreServed)
{
    // Lights 1 to 8; light 8 has no entry in the shader's array.
    for (int i = 0; i < 8; ++i)
        m_renderer->CreateLight()->SetDiffuse(Vector4<float>(float(i + 2), 0.0f, 0.0f, 1.0f));
    ASSERT_EQ(8u, m_renderer->GetLights()[8]->GetIndex());
    Enable();
    EXPECT_EQ(2.0f, Floats("Lights[1].ColorDiffuse", 4)[0]);
    EXPECT_EQ(1.0f, Floats("Lights[0].ColorDiffuse", 4)[0]);
}

TEST_F(GLSLMaterialProgramTest, SplitsBeyondTheThirdAreNotBound)
{
    m_light->CreateShadowMaps(true, 4, 16, 16);
    Enable();
    EXPECT_EQ(4, Int("Lights[0].Nmb_ShadowMaps"));
    EXPECT_EQ(7, Int("Lights[0].Tex_ShadowMap3"));
    EXPECT_EQ(DepthTextureOf(*m_light, 2), TextureOnUnit(7));
}

TEST_F(GLSLMaterialProgramTest, StateCallsPassToTheWrappedProgram)
{
    Enable();
    GLSLMaterialProgram* material = static_cast<GLSLMaterialProgram*>(m_material.get());
    boost::shared_ptr<Vorm::ApiEffect> wrapped = material->GetProgram();
    EXPECT_TRUE(material->IsEnabled());
    EXPECT_TRUE(wrapped->IsEnabled());
    GLint current = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &current);
    EXPECT_EQ(GLint(Program()), current);

    // Material uniforms are found through the material program.
    Vorm::GLSLUniformParam diffuse;
    ASSERT_TRUE(material->GetUniform("Color_Diffuse", diffuse));
    diffuse.SetFloat4(0.5f, 0.25f, 0.125f, 1.0f);
    EXPECT_EQ(0.25f, Floats("Color_Diffuse", 4)[1]);
    EXPECT_FALSE(material->GetUniform("Absent", diffuse));

    // Another program made current: neither object is enabled any more.
    boost::shared_ptr<Vorm::ApiEffect> other = m_renderer->CreateApiEffect("MaterialEffect.glslfx");
    ASSERT_EQ(wrapped, other);
    std::string log;
    std::unique_ptr<GLSLProgram> plain = TestShaders::BuildProgram(m_folder, TestShaders::PositionVS(), TestShaders::ColorFS(), log);
    plain->Enable();
    EXPECT_FALSE(material->IsEnabled());
    EXPECT_FALSE(wrapped->IsEnabled());
    plain->Disable();
}

} // namespace
