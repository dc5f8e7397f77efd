#include "GLReadBack.h"
#include "GLRendererFixture.h"

#include "Core/Math/MatrixBuilders.h"
#include "Core/Rendering/IRenderTarget.h"
#include "Core/Scenegraph/Light.h"
#include "RenderGL/effects/api/glsl/GLSLMaterialProgram.h"
#include "RenderGL/effects/api/glsl/GLSLProgram.h"

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
    "  vec3 Direction; vec4 ColorAmbient; vec4 ColorDiffuse; vec4 ColorSpecular;\n"
    "  int IsShadowCaster; int Nmb_ShadowMaps; float ShadowFarDist[3];\n"
    "  sampler2D Tex_ShadowMap1; sampler2D Tex_ShadowMap2; sampler2D Tex_ShadowMap3;\n"
    "  mat4 Mat_LightProjView1; mat4 Mat_LightProjView2; mat4 Mat_LightProjView3;\n"
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

const std::vector<float> kZero16(16, 0.0f);

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
    // A member of Lights[0], or of another entry when `name` starts with "[".
    std::vector<float> Floats(const std::string& name, int n = 1) const
    {
        return UniformFloats(Program(), Entry(name), n);
    }
    int Int(const std::string& name) const { return UniformInt(Program(), Entry(name)); }
    static std::string Entry(const std::string& name) { return name[0] == '[' ? "Lights" + name : "Lights[0]." + name; }
    GLint DepthTexture(unsigned split) const { return TextureHandle(m_light->GetShadowMap(split)->GetDepthTexture()); }

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

    const Vector3<float> d = m_light->GetDirection();
    EXPECT_EQ((std::vector<float>{d.x, d.y, d.z}), Floats("Direction", 3));
    EXPECT_EQ((std::vector<float>{0.2f, 0.2f, 0.2f, 1.0f}), Floats("ColorAmbient", 4));
    EXPECT_EQ((std::vector<float>{0.9f, 0.8f, 0.7f, 1.0f}), Floats("ColorDiffuse", 4));
    EXPECT_EQ((std::vector<float>{0.1f, 0.2f, 0.3f, 0.4f}), Floats("ColorSpecular", 4));
    EXPECT_EQ(1, Int("IsShadowCaster"));
    EXPECT_EQ(2, Int("Nmb_ShadowMaps"));
    // Split point of the mixed log/uniform scheme for 1..100: 30.25.
    EXPECT_FLOAT_EQ(30.25f, Floats("ShadowFarDist[0]")[0]);
    EXPECT_FLOAT_EQ(100.0f, Floats("ShadowFarDist[1]")[0]);
    EXPECT_EQ(0.0f, Floats("ShadowFarDist[2]")[0]);

    EXPECT_EQ(5, Int("Tex_ShadowMap1"));
    EXPECT_EQ(6, Int("Tex_ShadowMap2"));
    EXPECT_EQ(0, Int("Tex_ShadowMap3"));
    EXPECT_EQ(DepthTexture(0), TextureOnUnit(5));
    EXPECT_EQ(DepthTexture(1), TextureOnUnit(6));
    EXPECT_EQ(0, TextureOnUnit(7));
    EXPECT_EQ(GL_TEXTURE6, GLInt(GL_ACTIVE_TEXTURE));

    // The texture-space matrix: rows 0-2 are halfway between the shadow
    // matrix's row and its w row; row 3 is the w row.
    for (unsigned s = 0; s < 2; ++s) {
        SCOPED_TRACE(s);
        const Matrix44<float> shadow = m_light->GetShadowMatrix(s);
        const float* S = shadow.Ptr();
        const std::vector<float> T = Floats(s == 0 ? "Mat_LightProjView1" : "Mat_LightProjView2", 16);
        for (int c = 0; c < 4; ++c) {
            for (int r = 0; r < 3; ++r)
                EXPECT_NEAR(0.5f * S[4 * c + r] + 0.5f * S[4 * c + 3], T[4 * c + r], 1e-5f);
            EXPECT_NEAR(S[4 * c + 3], T[4 * c + 3], 1e-6f);
        }
    }
    EXPECT_EQ(kZero16, Floats("Mat_LightProjView3", 16));

    // Lights[1] names no light of the renderer.
    EXPECT_EQ(std::vector<float>(3, 0.0f), Floats("[1].Direction", 3));
    EXPECT_EQ(0, Int("[1].Nmb_ShadowMaps"));
}

TEST_F(GLSLMaterialProgramTest, EveryEnableUploadsTheLightsAsTheyAreThenUpToEight)
{
    // Lights 1 to 8; light 8 has no entry in the shader's array.
    for (int i = 0; i < 8; ++i)
        m_renderer->CreateLight()->SetDiffuse(Vector4<float>(float(i + 2), 0.0f, 0.0f, 1.0f));
    ASSERT_EQ(8u, m_renderer->GetLights()[8]->GetIndex());
    Enable();
    EXPECT_EQ(2.0f, Floats("[1].ColorDiffuse", 4)[0]);
    EXPECT_EQ(1.0f, Floats("ColorDiffuse", 4)[0]);
    // Light 0 has no splits: no shadow state.
    EXPECT_EQ(0, Int("IsShadowCaster"));
    EXPECT_EQ(0, Int("Nmb_ShadowMaps"));
    EXPECT_EQ(0.0f, Floats("ShadowFarDist[0]")[0]);
    EXPECT_EQ(0, Int("Tex_ShadowMap1"));
    EXPECT_EQ(kZero16, Floats("Mat_LightProjView1", 16));
    for (int unit = 5; unit <= 7; ++unit)
        EXPECT_EQ(0, TextureOnUnit(unit)) << unit;

    m_light->SetDiffuse(Vector4<float>(0.25f, 0.5f, 0.75f, 1.0f));
    EXPECT_EQ(1.0f, Floats("ColorDiffuse", 4)[0]);
    Enable();
    EXPECT_EQ((std::vector<float>{0.25f, 0.5f, 0.75f, 1.0f}), Floats("ColorDiffuse", 4));
}

TEST_F(GLSLMaterialProgramTest, NonCasterGetsItsMapsButOnlyThreeSplitsAreBound)
{
    m_light->CreateShadowMaps(true, 4, 16, 16);
    m_light->SetCastShadows(false);
    // Far distances come only with the first shadow update: none is uploaded yet.
    Enable();
    EXPECT_EQ(0, Int("IsShadowCaster"));
    EXPECT_EQ(4, Int("Nmb_ShadowMaps"));
    EXPECT_EQ(0.0f, Floats("ShadowFarDist[0]")[0]);
    EXPECT_EQ(5, Int("Tex_ShadowMap1"));
    EXPECT_EQ(7, Int("Tex_ShadowMap3"));
    EXPECT_EQ(DepthTexture(0), TextureOnUnit(5));
    EXPECT_EQ(DepthTexture(2), TextureOnUnit(7)); // not the fourth split's
    // The shadow matrix starts as the identity: the texture matrix is the bias.
    const std::vector<float> bias = {0.5f, 0, 0, 0, 0, 0.5f, 0, 0, 0, 0, 0.5f, 0, 0.5f, 0.5f, 0.5f, 1};
    EXPECT_EQ(bias, Floats("Mat_LightProjView1", 16));
}

TEST_F(GLSLMaterialProgramTest, StateCallsAndLookUpsPassToTheWrappedProgram)
{
    Enable();
    GLSLMaterialProgram* material = static_cast<GLSLMaterialProgram*>(m_material.get());
    boost::shared_ptr<Vorm::ApiEffect> wrapped = material->GetProgram();
    EXPECT_TRUE(material->IsEnabled());
    EXPECT_TRUE(wrapped->IsEnabled());
    EXPECT_EQ(GLint(Program()), GLInt(GL_CURRENT_PROGRAM));

    // Material uniforms are found through the material program.
    Vorm::GLSLUniformParam diffuse;
    ASSERT_TRUE(material->GetUniform("Color_Diffuse", diffuse));
    diffuse.SetFloat4(0.5f, 0.25f, 0.125f, 1.0f);
    EXPECT_EQ(0.25f, UniformFloats(Program(), "Color_Diffuse", 4)[1]);
    EXPECT_FALSE(material->GetUniform("Absent", diffuse));

    material->Disable();
    EXPECT_FALSE(material->IsEnabled());
    EXPECT_FALSE(wrapped->IsEnabled());
    EXPECT_EQ(0, GLInt(GL_CURRENT_PROGRAM));
}

} // namespace
