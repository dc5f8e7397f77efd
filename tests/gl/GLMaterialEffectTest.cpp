#include "AssertRecorder.h"
#include "GLReadBack.h"
#include "GLRendererFixture.h"
#include "MaterialLighting.h"

#include "Core/Rendering/IRenderTarget.h"
#include "Core/Rendering/VertexTypes.h"
#include "Core/Scenegraph/Light.h"
#include "Core/Scenegraph/mesh/TriangleMesh.h"
#include "RenderGL/effects/GLMaterialEffect.h"
#include "RenderGL/effects/api/glsl/GLSLMaterialProgram.h"
#include "RenderGL/texture/GLTexture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

using Vorm::GLMaterialEffect;
using Vorm::Light;

namespace {

typedef std::vector<float> Floats;
typedef std::vector<int> Ints;

const float kTol = 3.0f / 255.0f;

// Counts material-program requests, to see that materials share one.
class CountingRenderer : public Vorm::GLRenderer
{
public:
    boost::shared_ptr<Vorm::ApiEffect> CreateMaterialApiEffect(const std::string& name,
                                                               std::string* error = nullptr) override
    {
        ++m_materialRequests;
        return GLRenderer::CreateMaterialApiEffect(name, error);
    }
    int m_materialRequests = 0;
};

class GLMaterialEffectTest : public GLRendererFixture<CountingRenderer>
{
protected:
    void SetUp() override
    {
        GLRendererFixture::SetUp();
        if (!HasFatalFailure())
            Configure();
    }
    void TearDown() override
    {
        m_mesh.reset();
        m_light.reset();
        GLRendererFixture::TearDown();
    }

    // The shipped shaders, light 0 shining along -z, the camera on +z.
    void Configure()
    {
        UseFolders(RepoPath("data/effects/"), m_folder.Dir());
        m_light = m_renderer->GetLights()[0];
        m_light->SetDirection(Vector3<float>(0.0f, 0.0f, -1.0f));
        m_light->SetAmbient(Vector4<float>(0.2f, 0.2f, 0.2f, 1.0f));
        m_light->SetDiffuse(Vector4<float>(0.5f, 0.4f, 0.3f, 1.0f));
        m_light->SetSpecular(Vector4<float>(1.0f, 1.0f, 1.0f, 1.0f));
        m_renderer->GetCamera()->LookAt(Vector3<float>(0.0f, 0.0f, 3.0f), Vector3<float>(0.0f, 0.0f, 0.0f),
                                        Vector3<float>(0.0f, 1.0f, 0.0f));
        m_renderer->GetCamera()->SetPerspective(60.0f, 1.0f, 1.0f, 10.0f);
    }

    // A material lit by light 0, colours only.
    static std::unique_ptr<GLMaterialEffect> Material()
    {
        std::unique_ptr<GLMaterialEffect> m(new GLMaterialEffect());
        m->SetAmbientColor(Vector4<float>(1.0f, 0.5f, 0.25f, 1.0f));
        m->SetDiffuseColor(Vector4<float>(0.6f, 0.8f, 1.0f, 1.0f));
        m->SetSpecularColor(Vector4<float>(0.0f, 0.0f, 0.0f, 0.0f));
        m->SetShadowReceiver(true);
        m->AddLightIndex(0);
        return m;
    }

    // Makes the material's program current and applies it; gives the GL program.
    GLuint Applied(GLMaterialEffect& m)
    {
        m_renderer->SetApiEffect(m.GetApiEffect());
        m.Apply();
        return ProgramHandle(m.GetApiEffect());
    }

    // A 2 x 2 texture of one RGBA8 colour.
    static boost::shared_ptr<Vorm::ITexture> SolidTexture(unsigned char r, unsigned char g, unsigned char b)
    {
        const unsigned char pixels[16] = {r, g, b, 255, r, g, b, 255, r, g, b, 255, r, g, b, 255};
        boost::shared_ptr<Vorm::ITexture> texture(new Vorm::GLTexture());
        texture->CreateFromData(Vorm::TextureDesc{2, 2, 0, 0, 1, 1, 1, 1}, pixels); // 2D RGBA8
        return texture;
    }

    // Clears to a blue that no lit pixel of the tests has, then draws a quad
    // over [-1, 1] in x and y at z = 0, facing +z, tangent along +x.
    void Draw(GLMaterialEffect& material)
    {
        if (!m_mesh) {
            const Vector3<float> n(0.0f, 0.0f, 1.0f), t(1.0f, 0.0f, 0.0f);
            static Vorm::VT_PosNorTexTan v[4];
            v[0] = Vorm::VT_PosNorTexTan(Vector3<float>(-1.0f, -1.0f, 0.0f), n, Vector2(0.0f, 0.0f), t);
            v[1] = Vorm::VT_PosNorTexTan(Vector3<float>(1.0f, -1.0f, 0.0f), n, Vector2(1.0f, 0.0f), t);
            v[2] = Vorm::VT_PosNorTexTan(Vector3<float>(1.0f, 1.0f, 0.0f), n, Vector2(1.0f, 1.0f), t);
            v[3] = Vorm::VT_PosNorTexTan(Vector3<float>(-1.0f, 1.0f, 0.0f), n, Vector2(0.0f, 1.0f), t);
            static const std::uint32_t indices[6] = {0, 1, 2, 0, 2, 3};
            const Vorm::VertexFormat format = Vorm::VT_PosNorTexTan::GetFormat();
            m_mesh.reset(new Vorm::TriangleMesh());
            m_mesh->Create(Vorm::BufferData{4, sizeof(v), 0, v}, &format, Vorm::BufferData{6, sizeof(indices), 0, indices},
                           Vorm::DataType(Vorm::eDataFormat_UINT1), nullptr);
        }
        m_renderer->SetViewport(0, 0, Ctx().Width(), Ctx().Height());
        m_renderer->SetCullMode(2);
        m_renderer->SetClearColor(Vector4<float>(0.0f, 0.0f, 1.0f, 1.0f));
        m_renderer->Clear(3);
        m_renderer->SetApiEffect(material.GetApiEffect());
        m_renderer->ApplyCamera();
        material.Apply();
        m_renderer->DrawGeometry(m_mesh.get());
    }
    static Rgb Centre() { return PixelRgb(32, 32); }

    // Light 0 on the material at cosine `facing` to its normal, `shadow` 0
    // inside a shadow, with the diffuse colour tinted by a texture.
    Rgb LitBy0(const GLMaterialEffect& m, float facing, float shadow = 1.0f, Rgb tint = {1.0f, 1.0f, 1.0f}) const
    {
        const Vector4<float>& cd = m.GetDiffuseColor();
        return MaterialColour(*m_light, m.GetAmbientColor(),
                              Vector4<float>(cd.x * tint.r, cd.y * tint.g, cd.z * tint.b, cd.w), facing, shadow);
    }
    // Draws and compares pixel (x, y) with LitBy0.
    void ExpectLit(GLMaterialEffect& m, float facing, float shadow, const char* what, int x = 32, int y = 32)
    {
        SCOPED_TRACE(what);
        Draw(m);
        EXPECT_RGB_NEAR(LitBy0(m, facing, shadow), PixelRgb(x, y), kTol);
    }

    // Light 0's three shadow maps hold depth 0 (an occluder in front of
    // everything) in the splits whose bit is set, depth 1 in the others.
    void FillShadowMaps(unsigned occludedSplits)
    {
        for (unsigned s = 0; s < 3; ++s) {
            glClearDepth((occludedSplits >> s) & 1u ? 0.0 : 1.0);
            m_light->GetShadowMap(s)->Bind();
            glClear(GL_DEPTH_BUFFER_BIT);
            m_light->GetShadowMap(s)->Unbind();
        }
        glClearDepth(1.0);
    }

    boost::shared_ptr<Light> m_light;
    std::unique_ptr<Vorm::TriangleMesh> m_mesh;
};

// --- the shared program ---------------------------------------------------------

TEST_F(GLMaterialEffectTest, MaterialsShareOneProgramThatKeepsEveryUniformAndGoesWithTheRenderer)
{
    auto linked = [](GLuint program) {
        GLint status = 0;
        glGetProgramiv(program, GL_LINK_STATUS, &status);
        return status;
    };
    GLMaterialEffect first;
    GLMaterialEffect second;
    EXPECT_EQ(1, m_renderer->m_materialRequests);
    ASSERT_TRUE(first.GetApiEffect());
    EXPECT_EQ(first.GetApiEffect(), second.GetApiEffect());
    const GLuint p = ProgramHandle(first.GetApiEffect());
    ASSERT_EQ(GL_TRUE, linked(p));

    // The compiler drops unread uniforms; every name the material and the
    // material program look up must survive.
    auto* program = static_cast<Vorm::GLSLMaterialProgram*>(first.GetApiEffect().get());
    std::vector<std::string> names = {"Shading_Type",    "Camera_Position", "Clipping_Plane",    "Color_Ambient",
                                      "Color_Diffuse",   "Color_Specular",  "Color_Specularity", "Tex_Ambient",
                                      "Tex_Diffuse",     "Tex_Specular",    "Tex_Specularity",   "Tex_NormalMap",
                                      "Shadow_Receiver", "Nmb_LightIndices", "Matrix_M",         "Matrix_MV",
                                      "Matrix_MVP"};
    for (int light = 0; light < 8; ++light)
        for (const char* member : {"Direction", "ColorAmbient", "ColorDiffuse", "ColorSpecular", "IsShadowCaster",
                                   "Nmb_ShadowMaps", "Tex_ShadowMap1", "Tex_ShadowMap2", "Tex_ShadowMap3",
                                   "Mat_LightProjView1", "Mat_LightProjView2", "Mat_LightProjView3", "ShadowFarDist"})
            names.push_back("Lights[" + std::to_string(light) + "]." + member);
    Vorm::GLSLUniformParam handle;
    for (const std::string& name : names)
        EXPECT_TRUE(program->GetUniform(name, handle)) << name;
    ASSERT_TRUE(program->GetUniform("Tex_Usage", handle));
    EXPECT_EQ(5, handle.GetSize());
    ASSERT_TRUE(program->GetUniform("Light_Indices", handle));
    EXPECT_EQ(8, handle.GetSize());
    for (const char* input : {"pos", "normal", "tex0", "tangent"})
        EXPECT_NE(-1, glGetAttribLocation(p, input)) << input;

    // No owner outlives the renderer and its context; the next one builds its own.
    boost::weak_ptr<Vorm::ApiEffect> old = first.GetApiEffect();
    NewRenderer();
    Configure();
    EXPECT_TRUE(old.expired());
    EXPECT_FALSE(first.GetApiEffect());
    GLMaterialEffect next;
    EXPECT_EQ(1, m_renderer->m_materialRequests);
    ASSERT_TRUE(next.GetApiEffect());
    EXPECT_EQ(next.GetApiEffect(), first.GetApiEffect());
    EXPECT_EQ(GL_TRUE, linked(ProgramHandle(next.GetApiEffect())));
}

// --- uploads ----------------------------------------------------------------------

TEST_F(GLMaterialEffectTest, UploadsItsDefaultsThenColoursShininessFlagsAndClipPlane)
{
    GLMaterialEffect material;
    GLuint p = Applied(material);
    EXPECT_EQ(1, UniformInt(p, "Shading_Type"));
    EXPECT_FLOAT_EQ(20.0f, UniformFloats(p, "Color_Specularity", 1)[0]);
    for (const char* colour : {"Color_Ambient", "Color_Diffuse", "Color_Specular", "Clipping_Plane"})
        EXPECT_EQ(Floats(4, 0.0f), UniformFloats(p, colour, 4)) << colour;
    EXPECT_EQ(Ints(5, 0), UniformIntArray(p, "Tex_Usage", 5));
    // The flags start cleared rather than undefined.
    EXPECT_FALSE(material.IsShadowReceiver());
    EXPECT_FALSE(material.GetSpareFlag());
    EXPECT_EQ(0, UniformInt(p, "Shadow_Receiver"));
    EXPECT_EQ(0, UniformInt(p, "Nmb_LightIndices"));
    const Vector3<float> eye = m_renderer->GetCamera()->GetLocation();
    EXPECT_EQ((Floats{eye.x, eye.y, eye.z}), UniformFloats(p, "Camera_Position", 3));
    for (int unit = 0; unit < 5; ++unit)
        EXPECT_EQ(0, TextureOnUnit(unit)) << unit;

    material.SetAmbientColor(Vector4<float>(1.0f, 0.5f, 0.25f, 1.0f));
    material.SetDiffuseColor(Vector4<float>(0.6f, 0.8f, 1.0f, 1.0f));
    material.SetSpecularColor(Vector4<float>(0.1f, 0.2f, 0.3f, 0.4f));
    material.SetSpecularity(7.5f);
    material.SetShadingType(0);
    material.SetShadowReceiver(true);
    m_renderer->SetClipPlane(Vorm::Plane(Vector3<float>(0.0f, 1.0f, 0.0f), -2.5f, false));
    p = Applied(material);
    EXPECT_EQ((Floats{1.0f, 0.5f, 0.25f, 1.0f}), UniformFloats(p, "Color_Ambient", 4));
    EXPECT_EQ((Floats{0.6f, 0.8f, 1.0f, 1.0f}), UniformFloats(p, "Color_Diffuse", 4));
    EXPECT_EQ((Floats{0.1f, 0.2f, 0.3f, 0.4f}), UniformFloats(p, "Color_Specular", 4));
    EXPECT_FLOAT_EQ(7.5f, UniformFloats(p, "Color_Specularity", 1)[0]);
    EXPECT_EQ(0, UniformInt(p, "Shading_Type"));
    EXPECT_EQ(1, UniformInt(p, "Shadow_Receiver"));
    EXPECT_EQ((Floats{0.0f, 1.0f, 0.0f, -2.5f}), UniformFloats(p, "Clipping_Plane", 4));
    m_renderer->DisableClipPlane();
}

TEST_F(GLMaterialEffectTest, TexturesGoToTheirFixedUnitsAndTexUsageTellsWhichArePresent)
{
    const boost::shared_ptr<Vorm::ITexture> diffuse = SolidTexture(10, 20, 30);
    const boost::shared_ptr<Vorm::ITexture> normals = SolidTexture(128, 128, 255);
    std::unique_ptr<GLMaterialEffect> material = Material();
    material->SetDiffuseTexture(diffuse);
    material->SetNormalMap(normals);
    const GLuint p = Applied(*material);
    EXPECT_EQ((Ints{0, 1, 0, 0, 1}), UniformIntArray(p, "Tex_Usage", 5));
    EXPECT_EQ(1, UniformInt(p, "Tex_Diffuse"));
    EXPECT_EQ(4, UniformInt(p, "Tex_NormalMap"));
    EXPECT_EQ((Ints{0, TextureHandle(diffuse), 0, 0, TextureHandle(normals)}),
              (Ints{TextureOnUnit(0), TextureOnUnit(1), TextureOnUnit(2), TextureOnUnit(3), TextureOnUnit(4)}));

    // All five slots: units 0 to 4 in slot order.
    std::vector<boost::shared_ptr<Vorm::ITexture>> all;
    for (int i = 0; i < 5; ++i)
        all.push_back(SolidTexture(static_cast<unsigned char>(40 * i), 0, 0));
    material->SetAmbientTexture(all[0]);
    material->SetDiffuseTexture(all[1]);
    material->SetSpecularTexture(all[2]);
    material->SetSpecularityTexture(all[3]);
    material->SetNormalMap(all[4]);
    material->Apply();
    EXPECT_EQ(Ints(5, 1), UniformIntArray(p, "Tex_Usage", 5));
    const char* samplers[5] = {"Tex_Ambient", "Tex_Diffuse", "Tex_Specular", "Tex_Specularity", "Tex_NormalMap"};
    for (int unit = 0; unit < 5; ++unit) {
        EXPECT_EQ(unit, UniformInt(p, samplers[unit])) << samplers[unit];
        EXPECT_EQ(TextureHandle(all[unit]), TextureOnUnit(unit)) << unit;
    }
    EXPECT_EQ(GL_TEXTURE4, GLInt(GL_ACTIVE_TEXTURE));

    // Colour after texture drops it; texture after colour keeps both.
    material->SetAmbientColor(Vector4<float>(1.0f, 1.0f, 1.0f, 1.0f));
    material->SetSpecularColor(Vector4<float>(1.0f, 1.0f, 1.0f, 1.0f));
    material->SetSpecularity(3.0f);
    material->Apply();
    EXPECT_EQ((Ints{0, 1, 0, 0, 1}), UniformIntArray(p, "Tex_Usage", 5));
    material->SetSpecularTexture(all[2]);
    material->Apply();
    EXPECT_EQ((Ints{0, 1, 1, 0, 1}), UniformIntArray(p, "Tex_Usage", 5));
    EXPECT_EQ((Floats{1.0f, 1.0f, 1.0f, 1.0f}), UniformFloats(p, "Color_Specular", 4));
}

TEST_F(GLMaterialEffectTest, OnlyEnabledLightsThatExistAreUploaded)
{
    boost::shared_ptr<Light> second = m_renderer->CreateLight();
    GLMaterialEffect material;
    for (int index : {1, 7, -1, 0}) // 7 and -1 name no light: skipped, never read
        material.AddLightIndex(index);
    const GLuint p = Applied(material);
    EXPECT_EQ(2, UniformInt(p, "Nmb_LightIndices"));
    EXPECT_EQ((Ints{1, 0}), UniformIntArray(p, "Light_Indices", 2));

    m_light->SetEnabled(false);
    material.Apply();
    EXPECT_EQ(1, UniformInt(p, "Nmb_LightIndices"));
    EXPECT_EQ((Ints{1, 0}), UniformIntArray(p, "Light_Indices", 2));

    second->SetEnabled(false);
    material.Apply();
    EXPECT_EQ(0, UniformInt(p, "Nmb_LightIndices"));
}

// --- drawing ----------------------------------------------------------------------

TEST_F(GLMaterialEffectTest, LitFaceShowsAmbientPlusDiffuseByTheLightsAngleAndNothingPastTheClipPlane)
{
    AssertRecorder rec;
    std::unique_ptr<GLMaterialEffect> material = Material();
    ExpectLit(*material, 1.0f, 1.0f, "light along the normal");
    EXPECT_RGB_NEAR((Rgb{0.0f, 0.0f, 1.0f}), PixelRgb(1, 1), kTol);
    // Keeps x >= 0.
    m_renderer->SetClipPlane(Vorm::Plane(Vector3<float>(1.0f, 0.0f, 0.0f), 0.0f, false));
    ExpectLit(*material, 1.0f, 1.0f, "kept side of the plane", 44, 32);
    EXPECT_RGB_NEAR((Rgb{0.0f, 0.0f, 1.0f}), PixelRgb(20, 32), kTol);
    m_renderer->DisableClipPlane();
    ExpectLit(*material, 1.0f, 1.0f, "plane disabled", 20, 32);

    m_light->SetDirection(Vector3<float>(0.0f, 0.0f, 1.0f));
    ExpectLit(*material, -1.0f, 1.0f, "light from behind the quad");
    m_light->SetDirection(Vector3<float>(std::sin(1.0471976f), 0.0f, -std::cos(1.0471976f)));
    ExpectLit(*material, 0.5f, 1.0f, "60 degrees off the normal");
    // A disabled light leaves the face unlit.
    m_light->SetEnabled(false);
    Draw(*material);
    EXPECT_RGB_NEAR((Rgb{0.0f, 0.0f, 0.0f}), Centre(), kTol);
    EXPECT_TRUE(rec.Failures().empty());
}

TEST_F(GLMaterialEffectTest, AmbientOnlyLightStillShowsTheDiffuseColourBrighterOnFacesTurnedToTheLight)
{
    m_light->SetDiffuse(Vector4<float>(0.0f, 0.0f, 0.0f, 1.0f));
    m_light->SetSpecular(Vector4<float>(0.0f, 0.0f, 0.0f, 1.0f));
    std::unique_ptr<GLMaterialEffect> material = Material();
    ExpectLit(*material, 1.0f, 1.0f, "turned to the light");
    const Rgb towards = Centre();
    m_light->SetDirection(Vector3<float>(0.0f, 0.0f, 1.0f));
    ExpectLit(*material, -1.0f, 1.0f, "turned away");
    const Rgb away = Centre();
    // Beyond the ambient colour alone, and by the most on the face towards the light.
    const Vector4<float> la = m_light->GetAmbient(), ca = material->GetAmbientColor();
    const Rgb ambientOnly = {la.x * ca.x, la.y * ca.y, la.z * ca.z};
    for (const Rgb& c : {towards, away}) {
        EXPECT_GT(c.r, ambientOnly.r + 0.02f);
        EXPECT_GT(c.g, ambientOnly.g + 0.02f);
        EXPECT_GT(c.b, ambientOnly.b + 0.02f);
    }
    EXPECT_GT(towards.r, away.r + 0.05f);
    EXPECT_GT(towards.g, away.g + 0.05f);
    EXPECT_GT(towards.b, away.b + 0.05f);
}

TEST_F(GLMaterialEffectTest, SpecularHighlightFacesTheViewer)
{
    std::unique_ptr<GLMaterialEffect> material = Material();
    material->SetSpecularColor(Vector4<float>(0.1f, 0.1f, 0.1f, 1.0f));
    Draw(*material);
    // Eye, light and normal on one axis: the full specular colour adds.
    const Rgb base = LitBy0(*material, 1.0f);
    EXPECT_RGB_NEAR((Rgb{base.r + 0.1f, base.g + 0.1f, base.b + 0.1f}), Centre(), kTol);
    // Off the axis the highlight of shininess 20 fades.
    const Rgb edge = PixelRgb(16, 32);
    EXPECT_GT(edge.r, base.r + 0.01f);
    EXPECT_LT(edge.r, Centre().r - 0.01f);
    material->SetSpecularity(1000.0f);
    ExpectLit(*material, 1.0f, 1.0f, "shininess 1000", 16, 32);
}

TEST_F(GLMaterialEffectTest, DiffuseTextureTintsAndNormalMapTiltsExceptInTheSimpleShading)
{
    std::unique_ptr<GLMaterialEffect> material = Material();
    material->SetDiffuseTexture(SolidTexture(200, 100, 50));
    Draw(*material);
    EXPECT_RGB_NEAR(LitBy0(*material, 1.0f, 1.0f, Rgb{200 / 255.0f, 100 / 255.0f, 50 / 255.0f}), Centre(), kTol);

    material = Material();
    material->SetNormalMap(SolidTexture(128, 128, 255));
    ExpectLit(*material, 1.0f, 1.0f, "normal map along the normal");
    // Tangent-space +x: the normal lies along the tangent, edge-on to the light.
    material->SetNormalMap(SolidTexture(255, 128, 128));
    ExpectLit(*material, 0.0f, 1.0f, "normal map along the tangent");
    material->SetShadingType(0);
    ExpectLit(*material, 1.0f, 1.0f, "simple shading");
}

TEST_F(GLMaterialEffectTest, ShadowMapsDarkenReceiversOnlyAndEachSplitOnlyItsOwnDepthSlice)
{
    m_light->CreateShadowMaps(true, 3, 32, 32);
    m_light->UpdateShadows();
    std::unique_ptr<GLMaterialEffect> material = Material();
    FillShadowMaps(7u);
    ExpectLit(*material, 1.0f, 0.0f, "occluded receiver");
    EXPECT_RGB_NEAR(LitBy0(*material, 1.0f, 0.0f), PixelRgb(20, 44), kTol);
    material->SetShadowReceiver(false);
    ExpectLit(*material, 1.0f, 1.0f, "not a receiver");
    material->SetShadowReceiver(true);
    material->SetShadingType(0);
    ExpectLit(*material, 1.0f, 1.0f, "simple shading");
    material->SetShadingType(1);
    m_light->SetCastShadows(false);
    ExpectLit(*material, 1.0f, 1.0f, "light casts no shadows");
    m_light->SetCastShadows(true);
    FillShadowMaps(0u);
    ExpectLit(*material, 1.0f, 1.0f, "nothing in front");

    for (unsigned slice = 0; slice < 3; ++slice) {
        // The quad faces the camera, so all of it lies at one view depth:
        // the middle of the slice.
        const float from = slice == 0 ? 1.0f : m_light->GetSplitFar(slice - 1);
        const float depth = 0.5f * (from + m_light->GetSplitFar(slice));
        m_renderer->GetCamera()->LookAt(Vector3<float>(0.0f, 0.0f, depth), Vector3<float>(0.0f, 0.0f, 0.0f),
                                        Vector3<float>(0.0f, 1.0f, 0.0f));
        m_light->UpdateShadows();
        for (unsigned dark = 0; dark < 3; ++dark) {
            SCOPED_TRACE("slice " + std::to_string(slice) + ", occluder in split " + std::to_string(dark));
            FillShadowMaps(1u << dark);
            ExpectLit(*material, 1.0f, dark == slice ? 0.0f : 1.0f, "");
        }
    }
}

// Lights add up in the order listed, each once however often it is listed.
// Units 5 to 7 hold the maps of one light only, the last that has any: that
// light's shadows darken, another's position is not looked up in its maps.
TEST_F(GLMaterialEffectTest, EveryListedLightAddsOnceAndOnlyTheBoundMapsShadow)
{
    const boost::shared_ptr<Light> second = m_renderer->CreateLight();
    second->SetDirection(Vector3<float>(0.0f, -0.6f, -0.8f));
    second->SetAmbient(Vector4<float>(0.05f, 0.1f, 0.0f, 1.0f));
    second->SetDiffuse(Vector4<float>(0.2f, 0.1f, 0.3f, 1.0f));
    m_light->SetDiffuse(Vector4<float>(0.3f, 0.2f, 0.1f, 1.0f));
    std::unique_ptr<GLMaterialEffect> material(new GLMaterialEffect());
    material->SetAmbientColor(Vector4<float>(0.5f, 0.4f, 0.3f, 1.0f));
    material->SetDiffuseColor(Vector4<float>(0.6f, 0.8f, 0.7f, 1.0f));
    material->SetSpecularColor(Vector4<float>(0.0f, 0.0f, 0.0f, 0.0f));
    material->SetShadowReceiver(true);
    for (int index : {1, 0, 1, 0})
        material->AddLightIndex(index);
    auto both = [&](float shadow0, float shadow1) {
        const Rgb a = MaterialColour(*m_light, material->GetAmbientColor(), material->GetDiffuseColor(), 1.0f, shadow0);
        const Rgb b = MaterialColour(*second, material->GetAmbientColor(), material->GetDiffuseColor(), 0.8f, shadow1);
        return Rgb{a.r + b.r, a.g + b.g, a.b + b.b};
    };
    Draw(*material);
    EXPECT_RGB_NEAR(both(1.0f, 1.0f), Centre(), kTol);

    // Both lights have maps; the second one's are bound and hold an occluder
    // in front of everything.
    m_light->CreateShadowMaps(true, 2, 32, 32);
    second->CreateShadowMaps(true, 2, 32, 32);
    m_light->UpdateShadows();
    second->UpdateShadows();
    for (unsigned s = 0; s < 2; ++s) {
        glClearDepth(0.0);
        for (const boost::shared_ptr<Light>& light : {m_light, second}) {
            light->GetShadowMap(s)->Bind();
            glClear(GL_DEPTH_BUFFER_BIT);
            light->GetShadowMap(s)->Unbind();
        }
        glClearDepth(1.0);
    }
    Draw(*material);
    EXPECT_RGB_NEAR(both(1.0f, 0.0f), Centre(), kTol);
}

// The shader has room for eight lights: a list longer than that with repeats,
// or with a light it cannot see, still gives every distinct light once.
TEST_F(GLMaterialEffectTest, RepeatsAndUnseenLightsInALongListLoseNoLight)
{
    // Lights 1 to 8, each shining from its own side in its own colour;
    // light 8 lies beyond what the shader has room for.
    for (int i = 1; i <= 8; ++i) {
        const boost::shared_ptr<Light> light = m_renderer->CreateLight();
        light->SetDirection(Vector3<float>(0.1f * float(i % 3), 0.1f * float(i % 4) - 0.2f, -1.0f));
        light->SetAmbient(Vector4<float>(0.01f, 0.02f, 0.01f * float(i % 2), 1.0f));
        light->SetDiffuse(Vector4<float>(0.02f * float(i % 3), 0.03f * float(i % 2), 0.025f * float(i % 4), 1.0f));
    }
    m_light->SetAmbient(Vector4<float>(0.02f, 0.01f, 0.02f, 1.0f));
    m_light->SetDiffuse(Vector4<float>(0.05f, 0.04f, 0.03f, 1.0f));
    const auto drawn = [&](const Ints& list) {
        GLMaterialEffect material;
        material.SetAmbientColor(Vector4<float>(0.5f, 0.4f, 0.3f, 1.0f));
        material.SetDiffuseColor(Vector4<float>(0.6f, 0.8f, 0.7f, 1.0f));
        material.SetSpecularColor(Vector4<float>(0.0f, 0.0f, 0.0f, 0.0f));
        material.SetShadowReceiver(true);
        for (int index : list)
            material.AddLightIndex(index);
        Draw(material);
        return PixelRgba(32, 32);
    };
    const std::vector<int> eight = drawn({0, 1, 2, 3, 4, 5, 6, 7});
    const std::vector<int> seven = drawn({0, 1, 2, 3, 4, 5, 6});
    ASSERT_NE(eight, seven);
    EXPECT_EQ(eight, drawn({0, 1, 2, 3, 3, 4, 5, 6, 7}));
    EXPECT_EQ(eight, drawn({0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 6, 7, 7}));
    EXPECT_EQ(eight, drawn({8, 0, 1, 2, 3, 4, 5, 6, 7}));
    EXPECT_EQ(seven, drawn({0, 1, 2, 3, 3, 4, 5, 6}));
}

// The ambient slot holding the diffuse slot's texture binds nothing and says
// so with usage 2: the shader tints both colours from the one diffuse look-up.
TEST_F(GLMaterialEffectTest, AmbientSlotWithTheDiffuseTextureIsReadFromTheDiffuseLookUp)
{
    std::unique_ptr<GLMaterialEffect> material = Material();
    const boost::shared_ptr<Vorm::ITexture> texture = SolidTexture(200, 100, 50);
    material->SetDiffuseTexture(texture);
    material->SetAmbientTexture(texture);
    const GLuint p = Applied(*material);
    EXPECT_EQ((Ints{2, 1, 0, 0, 0}), UniformIntArray(p, "Tex_Usage", 5));
    EXPECT_EQ(0, TextureOnUnit(0));
    EXPECT_EQ(TextureHandle(texture), TextureOnUnit(1));
    Draw(*material);
    const Vector4<float> tint(200 / 255.0f, 100 / 255.0f, 50 / 255.0f, 1.0f);
    const Vector4<float>& a = material->GetAmbientColor();
    const Vector4<float>& d = material->GetDiffuseColor();
    EXPECT_RGB_NEAR(MaterialColour(*m_light, Vector4<float>(a.x * tint.x, a.y * tint.y, a.z * tint.z, a.w),
                                   Vector4<float>(d.x * tint.x, d.y * tint.y, d.z * tint.z, d.w), 1.0f),
                    Centre(), kTol);
}

// A slot without a texture names its own unit and empties it, whatever other
// drawing left there: the shader reads no stray texture.
TEST_F(GLMaterialEffectTest, EmptySlotsEmptyTheirUnits)
{
    const boost::shared_ptr<Vorm::ITexture> stray = SolidTexture(1, 2, 3);
    for (int unit : {0, 2, 3, 4}) {
        glActiveTexture(GL_TEXTURE0 + unit);
        stray->Bind();
    }
    std::unique_ptr<GLMaterialEffect> material = Material();
    const boost::shared_ptr<Vorm::ITexture> diffuse = SolidTexture(10, 20, 30);
    material->SetDiffuseTexture(diffuse);
    const GLuint p = Applied(*material);
    const char* samplers[5] = {"Tex_Ambient", "Tex_Diffuse", "Tex_Specular", "Tex_Specularity", "Tex_NormalMap"};
    for (int unit = 0; unit < 5; ++unit) {
        EXPECT_EQ(unit, UniformInt(p, samplers[unit])) << samplers[unit];
        EXPECT_EQ(unit == 1 ? TextureHandle(diffuse) : 0, TextureOnUnit(unit)) << unit;
    }
    EXPECT_EQ(GL_TEXTURE1, GLInt(GL_ACTIVE_TEXTURE));
}

} // namespace
