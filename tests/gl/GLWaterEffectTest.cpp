#include "AssertRecorder.h"
#include "CoutCapture.h"
#include "GLReadBack.h"
#include "GLEffectFixture.h"
#include "TestImages.h"
#include "TestMeshes.h"

#include "Core/Math/MatrixBuilders.h"
#include "Core/Rendering/IRenderTarget.h"
#include "Core/Scenegraph/Camera.h"
#include "Core/Scenegraph/Light.h"
#include "Core/Scenegraph/mesh/TriangleMesh.h"
#include "RenderGL/effects/GLSkyboxEffect.h"
#include "RenderGL/effects/GLWaterEffect.h"
#include "RenderGL/effects/api/glsl/GLSLProgram.h"

#include <boost/make_shared.hpp>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

const int kSize = 96;
// Sky above the horizon blue, below it red: every side face is split at its
// middle, which is the horizon.
const std::uint8_t kSkyTop[6][3] = {{40, 80, 255}, {40, 80, 255}, {40, 80, 255}, {40, 80, 255}, {255, 40, 40}, {40, 80, 255}};
const std::uint8_t kSkyBottom[6][3] = {{255, 40, 40}, {40, 80, 255}, {255, 40, 40}, {255, 40, 40}, {255, 40, 40}, {255, 40, 40}};

// A kSize x kSize colour target's texture as RGBA bytes.
std::vector<std::uint8_t> ReadTexture(const boost::shared_ptr<Vorm::ITexture>& texture)
{
    return ReadTexImage<std::uint8_t>(texture, kSize, kSize, GL_RGBA, GL_UNSIGNED_BYTE);
}

Rgb At(const std::vector<std::uint8_t>& image, ScreenPoint p)
{
    if (p.x < 0 || p.y < 0 || p.x >= kSize || p.y >= kSize) {
        ADD_FAILURE() << "(" << p.x << ", " << p.y << ") is off the image";
        return {0.0f, 0.0f, 0.0f};
    }
    const std::uint8_t* c = &image[(p.y * kSize + p.x) * 4];
    return {c[0] / 255.0f, c[1] / 255.0f, c[2] / 255.0f};
}

float Distance(const Rgb& a, const Rgb& b)
{
    return std::fabs(a.r - b.r) + std::fabs(a.g - b.g) + std::fabs(a.b - b.b);
}

void WriteRipples(const std::string& folder, bool flat)
{
    std::vector<std::uint8_t> rgb;
    std::srand(7);
    for (int i = 0; i < 32 * 32; ++i) {
        if (flat)
            rgb.insert(rgb.end(), {128, 128, 255});
        else
            rgb.insert(rgb.end(), {std::uint8_t(std::rand() % 256), std::uint8_t(std::rand() % 256), 200});
    }
    ASSERT_TRUE(TestImages::WritePng(folder + "WaterRipples.png", 32, 32, rgb));
}

class GLWaterEffectTest : public GLEffectFixture<kSize>
{
protected:
    void SetUp() override
    {
        GLEffectFixture::SetUp();
        if (HasFatalFailure())
            return;
        ASSERT_TRUE(TestImages::WriteCubeFaces(m_folder.Dir(), "brightday1.png", 64, kSkyTop, kSkyBottom));
        WriteRipples(m_folder.Dir(), true);
        NewScene();
    }

    // Renderer state as the demo has it, the light casting shadows, a yellow
    // box on a green one above the water and a magenta one below it.
    void NewScene()
    {
        m_renderer->SetViewport(0, 0, kSize, kSize);
        m_renderer->SetCullMode(1);
        Camera()->LookAt(Vector3<float>(0, 3, 12), Vector3<float>(0, 1, 0), Vector3<float>(0, 1, 0));
        Camera()->SetPerspective(45.0f, 1.0f, 1.0f, 100.0f);
        m_light = m_renderer->GetLights()[0];
        m_light->SetDirection(Vector3<float>(0.3f, -1.0f, -0.5f).Normalized());
        m_light->SetAmbient(Vector4<float>(0.4f, 0.4f, 0.4f, 1.0f));
        m_light->SetDiffuse(Vector4<float>(0.6f, 0.6f, 0.6f, 1.0f));
        m_light->CreateShadowMaps(true, 1, 64, 64);

        m_boxes.clear();
        const Vector4<float> colours[3] = {{1, 1, 0, 1}, {0, 1, 0, 1}, {1, 0, 1, 1}};
        const Vector3<float> places[3] = {{0, 2.5f, 0}, {0, 1.5f, 0}, {5, -2, 0}};
        for (int i = 0; i < 3; ++i) {
            m_boxes.emplace_back(new Vorm::TriangleMesh());
            TestMeshes::LitBox(m_boxes.back().get(), 2, 1, 2);
            m_boxes.back()->World().SetTranslation(places[i]);
            m_boxes.back()->SetMaterialEffect(TestMeshes::Material(colours[i], true));
        }
        Vorm::TriangleMesh* water = new Vorm::TriangleMesh();
        TestMeshes::FlatQuad(water, 60, 60);
        m_water.reset(water);
        m_sky.reset(new Vorm::GLSkyboxEffect());
        m_sky->SetCubemap("brightday1.png");
    }

    std::unique_ptr<Vorm::GLWaterEffect> MakeWater(bool withPlane = true)
    {
        std::unique_ptr<Vorm::GLWaterEffect> water(new Vorm::GLWaterEffect());
        if (withPlane)
            water->SetWaterPlane(Vorm::Plane(Vector3<float>(0, 1, 0), 0.0f, true));
        water->SetWaterGeometries({m_water});
        water->SetReflectedMeshes({m_boxes[0].get(), m_boxes[1].get(), m_boxes[2].get()});
        return water;
    }

    // The scene and the sky, as the demo draws them before the water.
    void DrawFrame()
    {
        std::vector<Vorm::TriangleMesh*> boxes;
        for (auto& box : m_boxes)
            boxes.push_back(box.get());
        TestMeshes::DrawLit(*m_renderer, boxes, Vector4<float>(0.2f, 0.2f, 0.2f, 1.0f));
        m_sky->Render();
    }

    // Pixels the water quad covers, drawn flat without depth test.
    std::vector<bool> WaterCoverage()
    {
        boost::shared_ptr<Vorm::ApiEffect> flat = m_renderer->CreateApiEffect("Flat.glslfx");
        Vorm::GLSLUniformParam colour;
        EXPECT_TRUE(dynamic_cast<Vorm::GLSLProgram*>(flat.get())->GetUniform("Color", colour));
        m_renderer->SetClearColor(Vector4<float>(0, 0, 0, 1));
        m_renderer->Clear(3);
        m_renderer->EnableDepthTest(false);
        m_renderer->SetApiEffect(flat);
        colour.SetFloat4(1, 1, 1, 1);
        m_renderer->DrawGeometry(m_water.get());
        m_renderer->EnableDepthTest(true);
        const std::vector<std::uint8_t> frame = ReadRgba(kSize, kSize);
        std::vector<bool> covered(kSize * kSize);
        for (int i = 0; i < kSize * kSize; ++i)
            covered[i] = frame[i * 4] == 255;
        return covered;
    }

    ScreenPoint Project(const Vector3<float>& p) { return ScreenPixel(*Camera(), p, kSize, kSize); }

    GLuint MaterialProgram() { return ProgramHandle(m_boxes[0]->GetMaterialEffect()->GetApiEffect()); }
    Vorm::Camera* Camera() { return m_renderer->GetCamera(); }

    boost::shared_ptr<Vorm::Light> m_light;
    std::vector<std::unique_ptr<Vorm::TriangleMesh>> m_boxes;
    boost::shared_ptr<Vorm::Geometry> m_water;
    std::unique_ptr<Vorm::GLSkyboxEffect> m_sky;
};

const Rgb kBlue = {40 / 255.0f, 80 / 255.0f, 1.0f};
const Rgb kRed = {1.0f, 40 / 255.0f, 40 / 255.0f};

TEST_F(GLWaterEffectTest, ReflectionHoldsTheMirroredBoxesUpsideDownAndTheMirroredSky)
{
    std::unique_ptr<Vorm::GLWaterEffect> water = MakeWater();
    DrawFrame();
    water->Render();
    const std::vector<std::uint8_t> reflection = ReadTexture(water->GetReflectionTarget()->GetColorTexture(0));

    const ScreenPoint yellow = Project(Vector3<float>(0, -2.5f, 0.9f));
    const ScreenPoint green = Project(Vector3<float>(0, -1.5f, 0.9f));
    const ScreenPoint horizon = Project(Vector3<float>(0, 0, -10000));
    const Rgb y = At(reflection, yellow), g = At(reflection, green);
    EXPECT_GT(y.r, 0.3f);
    EXPECT_GT(y.g, 0.3f);
    EXPECT_LT(y.b, 0.1f);
    EXPECT_LT(g.r, 0.1f);
    EXPECT_GT(g.g, 0.3f);
    // Upside down and below the horizon.
    EXPECT_LT(yellow.y, green.y);
    EXPECT_LT(green.y, horizon.y);

    // The mirrored sky: its upper half below the horizon, its lower half above.
    EXPECT_RGB_NEAR(kBlue, At(reflection, Project(Vector3<float>(-5, 0, -5))), 3.0f / 255.0f);
    EXPECT_RGB_NEAR(kRed, At(reflection, Project(Vector3<float>(-10, 8, -30))), 3.0f / 255.0f);
    // The box below the water would be mirrored above it: the clip plane drops it.
    EXPECT_RGB_NEAR(kBlue, At(reflection, Project(Vector3<float>(4.5f, 2, 0))), 3.0f / 255.0f);
}

TEST_F(GLWaterEffectTest, RefractionIsTheFrameWithTheWaterMaskInItsAlpha)
{
    std::unique_ptr<Vorm::GLWaterEffect> water = MakeWater();
    DrawFrame();
    const std::vector<std::uint8_t> frame = ReadRgba(kSize, kSize);
    water->Render();
    const std::vector<std::uint8_t> refraction = ReadTexture(water->GetRefractionTarget()->GetColorTexture(0));
    const std::vector<bool> covered = WaterCoverage();
    int underWater = 0;
    for (int i = 0; i < kSize * kSize; ++i) {
        ASSERT_TRUE(std::equal(&frame[i * 4], &frame[i * 4 + 3], &refraction[i * 4])) << "pixel " << i;
        ASSERT_EQ(covered[i] ? 0 : 255, refraction[i * 4 + 3]) << "pixel " << i;
        underWater += covered[i];
    }
    EXPECT_GT(underWater, kSize * kSize / 4);
    EXPECT_LT(underWater, kSize * kSize * 3 / 4);
}

TEST_F(GLWaterEffectTest, WaterMixesReflectionAndRefractionAndMovesWithTheRippleTime)
{
    {
        std::unique_ptr<Vorm::GLWaterEffect> water = MakeWater();
        DrawFrame();
        water->Render();
        const std::vector<std::uint8_t> screen = ReadRgba(kSize, kSize);
        const std::vector<std::uint8_t> reflection = ReadTexture(water->GetReflectionTarget()->GetColorTexture(0));
        const std::vector<std::uint8_t> refraction = ReadTexture(water->GetRefractionTarget()->GetColorTexture(0));
        // Far out the reflection is blue sky and the refraction the red ground.
        for (const Vector3<float>& p : {Vector3<float>(-5, 0, -5), Vector3<float>(6, 0, -20)}) {
            const ScreenPoint px = Project(p);
            SCOPED_TRACE(px.x);
            EXPECT_GT(At(reflection, px).b, 0.9f);
            EXPECT_GT(At(refraction, px).r, 0.9f);
            const Rgb s = At(screen, px);
            EXPECT_GT(s.r, 0.1f);
            EXPECT_GT(s.b, 0.1f);
            EXPECT_GT(Distance(s, At(reflection, px)), 0.1f);
            EXPECT_GT(Distance(s, At(refraction, px)), 0.1f);
        }
    }

    WriteRipples(m_folder.Dir(), false);
    std::unique_ptr<Vorm::GLWaterEffect> water = MakeWater();
    DrawFrame();
    water->Render();
    const std::vector<std::uint8_t> before = ReadRgba(kSize, kSize);
    water->Update(50.0f);
    EXPECT_NEAR(50.0f * 0.006f, water->GetRippleTime(), 1e-6f);
    DrawFrame();
    water->Render();
    const std::vector<std::uint8_t> after = ReadRgba(kSize, kSize);
    const std::vector<bool> covered = WaterCoverage();
    int water_ = 0, moved = 0;
    for (int i = 0; i < kSize * kSize; ++i) {
        const bool same = std::equal(&before[i * 4], &before[i * 4 + 3], &after[i * 4]);
        if (!covered[i]) {
            EXPECT_TRUE(same) << "pixel " << i;
            continue;
        }
        ++water_;
        moved += !same;
    }
    EXPECT_GT(moved, water_ / 3);
}

// The images keep the viewport's size at set-up: in a window grown since,
// the water beyond them shows what their edges hold.
TEST_F(GLWaterEffectTest, BeyondItsImagesTheWaterShowsWhatTheirEdgesHold)
{
    // One colour for the sky and one for the frame, so that images of any
    // size hold the same; and water only right of the view's middle, so that
    // a half-size refraction image holds none and its edge reads as it is.
    m_sky.reset();
    const std::uint8_t grey[6][3] = {{90, 110, 130}, {90, 110, 130}, {90, 110, 130},
                                     {90, 110, 130}, {90, 110, 130}, {90, 110, 130}};
    ASSERT_TRUE(TestImages::WriteCubeFaces(m_folder.Dir(), "brightday1.png", 8, grey, grey));
    Vorm::TriangleMesh* quad = new Vorm::TriangleMesh();
    TestMeshes::FlatQuad(quad, 20, 60);
    quad->World().SetTranslation(Vector3<float>(14, 0, 0));
    m_water.reset(quad);
    const auto drawn = [&](int size) {
        m_renderer->SetViewport(0, 0, size, size);
        std::unique_ptr<Vorm::GLWaterEffect> water = MakeWater();
        water->SetReflectedMeshes({});
        m_renderer->SetViewport(0, 0, kSize, kSize);
        m_renderer->SetClearColor(Vector4<float>(0.8f, 0.5f, 0.2f, 1.0f));
        m_renderer->Clear(3);
        m_renderer->ApplyCamera();
        water->Render();
        return ReadRgba(kSize, kSize);
    };
    const std::vector<std::uint8_t> whole = drawn(kSize);
    const std::vector<bool> covered = WaterCoverage();
    const ScreenPoint far = Project(Vector3<float>(10, 0, -20));
    ASSERT_GE(far.x, kSize / 2);
    ASSERT_TRUE(covered[far.y * kSize + far.x]);
    ASSERT_FALSE(covered[far.y * kSize + kSize / 2 - 1]);
    EXPECT_EQ(whole, drawn(kSize / 2));
}

TEST_F(GLWaterEffectTest, StateAndLightsAfterRenderAreAsBefore)
{
    // Two lights that claim one index past the end of the list.
    boost::shared_ptr<Vorm::Light> stray = boost::make_shared<Vorm::Light>(5);
    boost::shared_ptr<Vorm::Light> twin = boost::make_shared<Vorm::Light>(5);
    stray->SetDirection(Vector3<float>(-0.2f, -1.0f, 0.4f));
    stray->SetPosition(Vector3<float>(1, 2, 3));
    twin->SetDirection(Vector3<float>(0.5f, -0.5f, 0.1f));
    twin->SetPosition(Vector3<float>(4, 5, 6));
    for (const boost::shared_ptr<Vorm::Light>& light : {stray, twin}) {
        light->SetCastShadows(true);
        m_renderer->GetLights().push_back(light);
    }
    m_renderer->SetViewport(0, 0, kSize, kSize);
    std::unique_ptr<Vorm::GLWaterEffect> water = MakeWater();
    const Vector3<float> direction = m_light->GetDirection(), position = m_light->GetPosition();

    DrawFrame();
    m_renderer->SetClearColor(Vector4<float>(0.3f, 0.4f, 0.5f, 1.0f));
    water->Render();

    for (const boost::shared_ptr<Vorm::Light>& light : {m_light, stray, twin})
        EXPECT_TRUE(light->CastsShadows());
    EXPECT_EQ(direction.x, m_light->GetDirection().x);
    EXPECT_EQ(direction.y, m_light->GetDirection().y);
    EXPECT_EQ(position.y, m_light->GetPosition().y);
    EXPECT_EQ(-1.0f, stray->GetDirection().y);
    EXPECT_EQ(2.0f, stray->GetPosition().y);
    EXPECT_EQ(-0.5f, twin->GetDirection().y);
    EXPECT_EQ(5.0f, twin->GetPosition().y);
    // The reflection pass drew with the mirrored light and without its shadows.
    EXPECT_EQ(0, UniformInt(MaterialProgram(), "Lights[0].IsShadowCaster"));
    EXPECT_NEAR(-direction.y, UniformFloats(MaterialProgram(), "Lights[0].Direction", 3)[1], 1e-6f);

    const Vorm::Viewport& v = m_renderer->GetViewport();
    EXPECT_EQ(kSize, v.width);
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(kSize, viewport[2]);
    EXPECT_EQ(1u, m_renderer->GetCullMode());
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    EXPECT_EQ(GL_BACK, GLInt(GL_CULL_FACE_MODE));
    EXPECT_FALSE(glIsEnabled(GL_CLIP_DISTANCE0));
    EXPECT_EQ(0.0f, m_renderer->GetClipPlane().GetNormal().Length());
    GLfloat clear[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    EXPECT_EQ((std::vector<float>{0, 0, 0, 0}), std::vector<float>(clear, clear + 4));
    GLboolean mask[4];
    glGetBooleanv(GL_COLOR_WRITEMASK, mask);
    EXPECT_TRUE(mask[0] && mask[1] && mask[2] && mask[3]);
    EXPECT_EQ(GL_TEXTURE2, GLInt(GL_ACTIVE_TEXTURE));
    EXPECT_EQ(TextureHandle(water->GetRefractionTarget()->GetColorTexture(0)), TextureOnUnit(0));
    EXPECT_EQ(TextureHandle(water->GetReflectionTarget()->GetColorTexture(0)), TextureOnUnit(1));
    EXPECT_EQ(0, GLInt(GL_FRAMEBUFFER_BINDING));
}

TEST_F(GLWaterEffectTest, BeforeTheWaterPlaneIsSetTheMirrorIsTheIdentity)
{
    std::unique_ptr<Vorm::GLWaterEffect> water = MakeWater(false);
    const float* r = water->GetReflectionMatrix().Ptr();
    EXPECT_EQ(std::vector<float>(Matrix44<float>::IDENTITY.Ptr(), Matrix44<float>::IDENTITY.Ptr() + 16),
              std::vector<float>(r, r + 16));
    EXPECT_EQ(Vector4<float>(0, 1, 0, 0).y, water->GetClipPlane().ToVector4().y);
    DrawFrame();
    water->Render();
    EXPECT_NEAR(m_light->GetDirection().y, UniformFloats(MaterialProgram(), "Lights[0].Direction", 3)[1], 1e-6f);

    // The plane y = 2: mirror about it, keep what lies below it.
    water->SetWaterPlane(Vorm::Plane(Vector3<float>(0, 1, 0), -2.0f, true));
    EXPECT_NEAR(4.0f, (water->GetReflectionMatrix() * Vector4<float>(0, 0, 0, 1)).y, 1e-6f);
    EXPECT_NEAR(-1.0f, water->GetClipPlane().GetNormal().y, 1e-6f);
    EXPECT_NEAR(2.0f, water->GetClipPlane().GetD(), 1e-6f);
}

TEST_F(GLWaterEffectTest, MissingProgramsDrawNothingAndMissingUniformsUploadNothing)
{
    {
        m_folder.Remove("WaterAlphaMaskEffect.glslfx");
        NewRenderer();
        UseFolders(m_folder.Dir(), m_folder.Dir());
        NewScene();
        AssertRecorder rec;
        std::unique_ptr<Vorm::GLWaterEffect> water = MakeWater();
        EXPECT_TRUE(rec.Saw("m_spApiEffectAlphaMask && \"Can not load WaterAlphaMaskEffect.glslfx\""));
        DrawFrame();
        const std::vector<std::uint8_t> frame = ReadRgba(kSize, kSize);
        CoutCapture out;
        water->Render();
        water->Render();
        EXPECT_EQ(frame, ReadRgba(kSize, kSize));
        const std::string text = out.Text();
        EXPECT_FALSE(text.empty());
        EXPECT_EQ(text.find('\n'), text.rfind('\n')) << text;
    }

    // A surface shader without the reflection sampler and the ripple time.
    m_folder.Write("WaterAlphaMaskEffect.glslfx", "technique T { pass P { VertexShader = <WaterAlphaMaskEffect.vert>; "
                                                  "FragmentShader = <WaterAlphaMaskEffect.frag>; } }\n");
    m_folder.Write("WaterEffect.frag", "#version 140\nuniform sampler2D Sampler_Refraction;\n"
                                       "uniform sampler2D Sampler_WaterRipples;\nout vec4 fragColor;\n"
                                       "void main() { fragColor = vec4(texture(Sampler_WaterRipples, vec2(0.5)).rg, "
                                       "texture(Sampler_Refraction, vec2(0.5)).b, 1.0); }\n");
    NewRenderer();
    UseFolders(m_folder.Dir(), m_folder.Dir());
    NewScene();
    AssertRecorder rec;
    std::unique_ptr<Vorm::GLWaterEffect> water = MakeWater();
    EXPECT_TRUE(rec.Saw("isOk && \"Error get uniform Sampler_Reflection\""));
    EXPECT_FALSE(rec.Saw("isOk && \"Error get uniform Sampler_Refraction\""));
    DrawFrame();
    water->Render();
    EXPECT_EQ(GLenum(GL_NO_ERROR), DrainGLErrors());
    // The flat ripple map's (128, 128) shows where the water is.
    const Rgb surface = At(ReadRgba(kSize, kSize), Project(Vector3<float>(-5, 0, -5)));
    EXPECT_NEAR(128 / 255.0f, surface.r, 2.0f / 255.0f);
    EXPECT_NEAR(128 / 255.0f, surface.g, 2.0f / 255.0f);
}

} // namespace
