#include "AssertRecorder.h"
#include "CoutCapture.h"
#include "GLReadBack.h"
#include "GLEffectFixture.h"
#include "MaterialLighting.h"
#include "TestMeshes.h"

#include "Core/Math/Matrix33.h"
#include "Core/Rendering/IRenderTarget.h"
#include "Core/Scenegraph/Camera.h"
#include "Core/Scenegraph/Light.h"
#include "Core/Scenegraph/mesh/MeshBuilder.h"
#include "Core/Scenegraph/mesh/TriangleMesh.h"
#include "RenderGL/effects/GLShadowMappingEffect.h"
#include "RenderGL/effects/api/glsl/GLSLProgram.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

const int kSize = 64;

// The level-0 depths of a 2D depth texture, rows bottom first.
std::vector<float> ReadDepth(const boost::shared_ptr<Vorm::ITexture>& texture, unsigned w, unsigned h)
{
    return ReadTexImage(texture, int(w), int(h), GL_DEPTH_COMPONENT, GL_FLOAT, -1.0f);
}

GLint LevelWidth(const boost::shared_ptr<Vorm::ITexture>& texture, int level)
{
    return TextureLevelParam(*dynamic_cast<Vorm::GLTexture*>(texture.get()), GL_TEXTURE_2D, level, GL_TEXTURE_WIDTH);
}

class GLShadowMappingEffectTest : public GLEffectFixture<kSize>
{
protected:
    void SetUp() override
    {
        GLEffectFixture::SetUp();
        if (HasFatalFailure())
            return;
        Vorm::Camera* camera = m_renderer->GetCamera();
        camera->LookAt(Vector3<float>(0, 6, 12), Vector3<float>(0, 0, 0), Vector3<float>(0, 1, 0));
        camera->SetPerspective(45.0f, 1.0f, 1.0f, 50.0f);
        m_renderer->ApplyCamera();
        m_light = m_renderer->GetLights()[0];
        m_light->SetDirection(Vector3<float>(0.5f, -1.0f, 0.3f).Normalized());
    }

    // Every texel of split i whose light ray meets the top face of a box made
    // 2 x 2 x 2 and then scaled (inset by `margin`) holds that point's depth under the split's light
    // matrix; the number of texels compared.
    int CompareTopFaces(unsigned split, const std::vector<Vorm::TriangleMesh*>& boxes, float margin = 0.15f)
    {
        const boost::shared_ptr<Vorm::IRenderTarget> target = m_light->GetShadowMap(split);
        const unsigned w = target->GetWidth(), h = target->GetHeight();
        const std::vector<float> depth = ReadDepth(target->GetDepthTexture(), w, h);
        const Matrix44<float> m = m_light->GetShadowMatrix(split);
        int compared = 0;
        for (const Vorm::TriangleMesh* box : boxes) {
            const Vector3<float> c = box->World().GetTranslation();
            const float half = box->World().GetScale();
            const float top = c.y + half;
            // The light matrix is affine: solve m (x, top, z, 1) = (u, v, ., 1) for x and z.
            const float a = m[0].x, b = m[2].x, e = m[0].y, f = m[2].y;
            const float det = a * f - b * e;
            for (unsigned ty = 0; ty < h; ++ty) {
                for (unsigned tx = 0; tx < w; ++tx) {
                    const float u = (tx + 0.5f) / w * 2.0f - 1.0f, v = (ty + 0.5f) / h * 2.0f - 1.0f;
                    const float ru = u - m[1].x * top - m[3].x, rv = v - m[1].y * top - m[3].y;
                    const float x = (ru * f - b * rv) / det, z = (a * rv - e * ru) / det;
                    if (std::fabs(x - c.x) > half - margin || std::fabs(z - c.z) > half - margin)
                        continue;
                    const float expected = (m * Vector4<float>(x, top, z, 1.0f)).z * 0.5f + 0.5f;
                    EXPECT_NEAR(expected, depth[ty * w + tx], 2e-4f) << "split " << split << " texel " << tx << "," << ty;
                    ++compared;
                }
            }
        }
        return compared;
    }

    boost::shared_ptr<Vorm::Light> m_light;
};

TEST_F(GLShadowMappingEffectTest, SplitsOfTwoSizesHoldTheCastersDepths)
{
    m_light->CreateShadowMaps(true, 2, 64, 64);
    // The second split gets a target of its own size.
    Vorm::TextureDesc desc;
    desc.m_width = 32;
    desc.m_height = 48;
    desc.m_bMipmap = 1;
    desc.m_type = 1;
    desc.m_internalFormat = 10;
    desc.m_pixelFormat = 8;
    m_light->GetShadowMap(1)->Create(32, 48, 1);
    m_light->GetShadowMap(1)->AttachDepthTexture(desc, Vorm::TextureParams());

    Vorm::MeshBuilder builder;
    Vorm::TriangleMesh nearBox, farBox;
    builder.CreateBox(&nearBox, 2, 2, 2);
    builder.CreateBox(&farBox, 2, 2, 2);
    farBox.World().SetTranslation(Vector3<float>(1, 3, -20));
    farBox.World().SetScale(3.0f);
    const std::vector<Vorm::Geometry*> casters = {&nearBox, &farBox};

    Vorm::GLShadowMappingEffect effect;
    ASSERT_TRUE(effect.GetApiEffect());
    m_renderer->SetViewport(0, 0, kSize, kSize);
    // The near box moves between frames: its matrix follows its transform.
    for (const Vector3<float>& place : {Vector3<float>(0, 1, 0), Vector3<float>(-2, 2, 1)}) {
        SCOPED_TRACE(place.x);
        nearBox.World().SetTranslation(place);
        effect.Render(m_light, casters);
        EXPECT_GT(CompareTopFaces(0, {&nearBox}), 20);
        EXPECT_GT(CompareTopFaces(1, {&farBox}), 4);
        // Outside the casters the maps hold the cleared depth.
        for (unsigned s = 0; s < 2; ++s) {
            const boost::shared_ptr<Vorm::IRenderTarget> t = m_light->GetShadowMap(s);
            const std::vector<float> d = ReadDepth(t->GetDepthTexture(), t->GetWidth(), t->GetHeight());
            EXPECT_GT(std::count(d.begin(), d.end(), 1.0f), int(d.size() / 2)) << s;
            EXPECT_EQ(GLint(t->GetWidth() / 2), LevelWidth(t->GetDepthTexture(), 1)) << "mipmaps of split " << s;
        }
        EXPECT_TRUE(effect.GetApiEffect()->IsEnabled());
        EXPECT_EQ(kSize, m_renderer->GetViewport().width);
        GLint viewport[4];
        glGetIntegerv(GL_VIEWPORT, viewport);
        EXPECT_EQ(kSize, viewport[2]);
        EXPECT_EQ(kSize, viewport[3]);
        EXPECT_EQ(0, GLInt(GL_FRAMEBUFFER_BINDING));
    }

    // An empty caster list clears every split.
    effect.Render(m_light, {});
    for (unsigned s = 0; s < 2; ++s) {
        const boost::shared_ptr<Vorm::IRenderTarget> t = m_light->GetShadowMap(s);
        const std::vector<float> d = ReadDepth(t->GetDepthTexture(), t->GetWidth(), t->GetHeight());
        EXPECT_EQ(std::count(d.begin(), d.end(), 1.0f), int(d.size())) << s;
    }
}

TEST_F(GLShadowMappingEffectTest, ZeroSplitsDrawNothingAndKeepTheViewport)
{
    m_light->CreateShadowMaps(true, 0, 64, 64);
    Vorm::MeshBuilder builder;
    Vorm::TriangleMesh box;
    builder.CreateBox(&box, 2, 2, 2);
    Vorm::GLShadowMappingEffect effect;
    m_renderer->SetViewport(3, 4, 50, 40);
    effect.Render(m_light, {&box});
    EXPECT_TRUE(effect.GetApiEffect()->IsEnabled());
    const Vorm::Viewport& v = m_renderer->GetViewport();
    EXPECT_EQ(3, v.x);
    EXPECT_EQ(4, v.y);
    EXPECT_EQ(50, v.width);
    EXPECT_EQ(40, v.height);
    EXPECT_EQ(0, GLInt(GL_FRAMEBUFFER_BINDING));
}

TEST_F(GLShadowMappingEffectTest, WithoutProgramOrLightMatrixTheSplitsAreOnlyCleared)
{
    m_light->CreateShadowMaps(true, 1, 32, 32);
    Vorm::MeshBuilder builder;
    Vorm::TriangleMesh box;
    builder.CreateBox(&box, 2, 2, 2);
    box.World().SetTranslation(Vector3<float>(0, 1, 0));
    // A shader that ignores Matrix_LVP: the driver drops the uniform.
    m_folder.Write("ShadowMapping.vert", "#version 140\nin vec3 pos;\nuniform mat4 Matrix_LVP;\n"
                                         "void main() { gl_Position = vec4(pos * 0.1, 1.0); }\n");
    for (int variant = 0; variant < 2; ++variant) {
        SCOPED_TRACE(variant);
        if (variant == 1)
            m_folder.Remove("ShadowMapping.glslfx");
        NewRenderer();
        UseFolders(m_folder.Dir(), m_folder.Dir());
        m_light = m_renderer->GetLights()[0];
        m_light->CreateShadowMaps(true, 1, 32, 32);
        AssertRecorder rec;
        CoutCapture out;
        Vorm::GLShadowMappingEffect effect;
        EXPECT_TRUE(rec.Saw(variant == 0 ? "isOk && \"Error get uniform Matrix_LVP\""
                                         : "m_spApiEffect && \"Can not load ShadowMapping.glslfx\""));
        effect.Render(m_light, {&box});
        effect.Render(m_light, {&box});
        const std::vector<float> d = ReadDepth(m_light->GetShadowMap(0)->GetDepthTexture(), 32, 32);
        EXPECT_EQ(std::count(d.begin(), d.end(), 1.0f), int(d.size()));
        EXPECT_EQ(out.Text().find("ShadowMapping.glslfx"), out.Text().rfind("ShadowMapping.glslfx")) << out.Text();
        EXPECT_NE(std::string::npos, out.Text().find("ShadowMapping.glslfx"));
        EXPECT_EQ(GLenum(GL_NO_ERROR), DrainGLErrors());
    }
}

TEST_F(GLShadowMappingEffectTest, ReceiverIsDarkerInsideTheCastersShadow)
{
    m_light->CreateShadowMaps(true, 1, 256, 256);
    m_light->SetDirection(Vector3<float>(1.0f, -1.0f, 0.0f).Normalized());
    m_light->SetAmbient(Vector4<float>(0.2f, 0.2f, 0.2f, 1.0f));
    m_light->SetDiffuse(Vector4<float>(0.8f, 0.8f, 0.8f, 1.0f));
    Vorm::Camera* camera = m_renderer->GetCamera();
    camera->LookAt(Vector3<float>(0, 8, 14), Vector3<float>(1, 0, 0), Vector3<float>(0, 1, 0));
    camera->SetPerspective(45.0f, 1.0f, 1.0f, 60.0f);

    Vorm::TriangleMesh ground, box;
    TestMeshes::LitGround(&ground, 20, 20);
    TestMeshes::LitBox(&box, 2, 2, 2);
    box.World().SetTranslation(Vector3<float>(0, 3, 0));
    ground.SetMaterialEffect(TestMeshes::Material(Vector4<float>(0.9f, 0.9f, 0.9f, 1.0f), true));
    box.SetMaterialEffect(TestMeshes::Material(Vector4<float>(0.8f, 0.2f, 0.2f, 1.0f), true));

    Vorm::GLShadowMappingEffect effect;
    effect.Render(m_light, {&box});
    TestMeshes::DrawLit(*m_renderer, {&ground, &box}, Vector4<float>(0, 0, 0, 1));

    auto pixelOf = [&](const Vector3<float>& p) {
        const ScreenPoint px = ScreenPixel(*camera, p, kSize, kSize);
        return PixelRgb(px.x, px.y);
    };
    // The light falls at 45 degrees from -x: the box at height 3 shadows x = 2..4.
    const Rgb shadowed = pixelOf(Vector3<float>(3, 0, 0));
    const Rgb lit = pixelOf(Vector3<float>(-4, 0, 1));
    const float facing = std::sqrt(0.5f);
    const Vector4<float> grey = ground.GetMaterialEffect()->GetDiffuseColor();
    EXPECT_RGB_NEAR(MaterialColour(*m_light, grey, grey, facing, 0.0f), shadowed, 4.0f / 255.0f);
    EXPECT_RGB_NEAR(MaterialColour(*m_light, grey, grey, facing), lit, 4.0f / 255.0f);
    EXPECT_GT(lit.g, shadowed.g + 0.3f);
}

} // namespace
