#include "AssertRecorder.h"
#include "GLReadBack.h"
#include "GLRendererFixture.h"
#include "TestImages.h"

#include "Core/Terrain/base/GrassPatch.h"
#include "RenderGL/effects/GLGrassEffect.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

// The grass program stands clumps up around their anchors, facing the camera,
// and leaves the clump texture's transparent parts clear.
namespace {

class GLGrassEffectTest : public GLRendererFixture<>
{
public:
    static const int kSize = 128;
    static void SetUpTestSuite() { OpenContext(kSize, kSize); }

protected:
    void SetUp() override
    {
        GLRendererFixture<>::SetUp();
        if (HasFatalFailure())
            return;
        // 16 x 16 atlas: in the lower-left quadrant (u, v < 0.5) the left half
        // is opaque white, everything else transparent. The texture's origin is
        // the lower left, so the file's bottom rows are v = 0.
        std::filesystem::create_directories(m_folder.Path("grassClumps"));
        std::vector<std::uint8_t> bgra;
        for (int row = 0; row < 16; ++row)
            for (int x = 0; x < 16; ++x) {
                const bool opaque = row >= 8 && x < 4;
                bgra.insert(bgra.end(), {255, 255, 255, std::uint8_t(opaque ? 255 : 0)});
            }
        ASSERT_TRUE(TestImages::WriteTrueColor(m_folder.Path("grassClumps/clumps.tga"), 16, 16, 4, bgra));
        // Mid grey noise: no bend, no change of height.
        std::vector<std::uint8_t> grey(4 * 4 * 3, 128);
        ASSERT_TRUE(TestImages::WriteTrueColor(m_folder.Path("grassClumps/clumpNoise.tga"), 4, 4, 3, grey));
        UseFolders(RepoPath("data/effects/"), m_folder.Dir());
    }

    // Window pixel of a world point, or false when it is off the view.
    bool Pixel(const Vector3<float>& p, int& x, int& y) const
    {
        const ScreenPoint px = ScreenPixel(*m_renderer->GetCamera(), p, kSize, kSize);
        x = px.x;
        y = px.y;
        return x >= 0 && y >= 0 && x < kSize && y < kSize;
    }
    bool Lit(const Vector3<float>& p) const
    {
        int x = 0, y = 0;
        EXPECT_TRUE(Pixel(p, x, y));
        return PixelRgba(x, y)[1] > 40;
    }
};

TEST_F(GLGrassEffectTest, ClumpsStandAroundTheirAnchorsFacingTheCamera)
{
    AssertRecorder rec;
    Vorm::GLGrassEffect effect;
    ASSERT_TRUE(effect.GetApiEffect());
    // The cache hands the same textures to the next user.
    EXPECT_EQ(effect.GetClumpTexture(), m_renderer->GetResourceMap().Find("grassClumps/clumps.tga"));
    EXPECT_EQ(effect.GetNoiseTexture(), m_renderer->GetResourceMap().Find("grassClumps/clumpNoise.tga"));

    // 7.5 x 7.5 clumps; the opaque left half spans x - 3.75 .. x + 0.
    // Apart from each other seen from either camera.
    const Vector3<float> anchors[3] = {Vector3<float>(-14.0f, 0.0f, 12.0f), Vector3<float>(9.0f, 4.0f, -2.0f),
                                       Vector3<float>(0.0f, -8.0f, -14.0f)};
    Vorm::GrassPatch patch;
    for (const Vector3<float>& a : anchors)
        patch.AddClumpQ0(a, 1.0f);
    patch.CreateBuffers();

    // Seen from the side (+z) and from the other side (-x): the clumps turn
    // with the camera, so their left half shows to its left both times.
    struct View
    {
        Vector3<float> eye, right;
    };
    const View views[2] = {{Vector3<float>(0.0f, 2.0f, 60.0f), Vector3<float>(1.0f, 0.0f, 0.0f)},
                           {Vector3<float>(-60.0f, 2.0f, 0.0f), Vector3<float>(0.0f, 0.0f, 1.0f)}};
    for (const View& view : views) {
        Vorm::Camera* camera = m_renderer->GetCamera();
        camera->LookAt(view.eye, Vector3<float>(0.0f, 2.0f, 0.0f), Vector3<float>(0.0f, 1.0f, 0.0f));
        camera->SetPerspective(45.0f, 1.0f, 1.0f, 200.0f);
        m_renderer->SetViewport(0, 0, kSize, kSize);
        m_renderer->SetCullMode(1);
        m_renderer->EnableDepthTest(true);
        m_renderer->SetClearColor(Vector4<float>(0.0f, 0.0f, 0.0f, 1.0f));
        m_renderer->Clear(3);
        m_renderer->ApplyCamera();
        effect.SetCameraVectors(camera->GetLocation(), camera->GetRight(), camera->GetUp());
        effect.Render(&patch);

        for (const Vector3<float>& a : anchors) {
            // Side axis: horizontal, across the line from the camera.
            Vector3<float> toCamera = view.eye - a;
            Vector3<float> side(toCamera.z, 0.0f, -toCamera.x);
            side.Normalize();
            const Vector3<float> up(0.0f, 1.0f, 0.0f);
            EXPECT_TRUE(Lit(a + side * -2.0f + up * 3.75f)) << a.x;
            EXPECT_TRUE(Lit(a + side * -3.2f + up * 7.0f)) << a.x;
            EXPECT_FALSE(Lit(a + side * 2.0f + up * 3.75f)) << a.x;   // transparent half
            EXPECT_FALSE(Lit(a + side * -2.0f + up * 9.0f)) << a.x;   // above the clump
            EXPECT_FALSE(Lit(a + side * -2.0f + up * -1.5f)) << a.x;  // below the anchor
            EXPECT_FALSE(Lit(a + side * -5.0f + up * 3.75f)) << a.x;  // beside it
        }
        // The state the caller set stays; the effect uploads the constant far distance.
        EXPECT_EQ(GL_TRUE, glIsEnabled(GL_CULL_FACE));
        EXPECT_EQ(GL_TRUE, glIsEnabled(GL_DEPTH_TEST));
        EXPECT_EQ(GL_FALSE, glIsEnabled(GL_BLEND));
        const GLuint program = ProgramHandle(effect.GetApiEffect());
        EXPECT_FLOAT_EQ(10000.0f, UniformFloats(program, "farDist", 1)[0]);
        EXPECT_EQ(view.eye.x, UniformFloats(program, "camPosition", 3)[0]);
        EXPECT_NEAR(view.right.z, UniformFloats(program, "camRight", 3)[2], 1e-5f);
        EXPECT_EQ(1, UniformInt(program, "Tex_GrassNoise"));
        EXPECT_EQ(TextureHandle(effect.GetClumpTexture()), TextureOnUnit(0));
    }
    EXPECT_TRUE(rec.Failures().empty());
}

TEST_F(GLGrassEffectTest, FarClumpsShrinkToNothing)
{
    Vorm::GLGrassEffect effect;
    Vorm::Camera* camera = m_renderer->GetCamera();
    camera->SetPerspective(10.0f, 1.0f, 1.0f, 1000.0f);
    m_renderer->SetViewport(0, 0, kSize, kSize);
    // The same tall clump straight ahead, near and far.
    int lit[2] = {0, 0};
    const float distances[2] = {60.0f, 400.0f};
    for (int k = 0; k < 2; ++k) {
        Vorm::GrassPatch patch;
        patch.AddClumpQ0(Vector3<float>(1.5f, 0.0f, -distances[k]), 2.0f);
        patch.CreateBuffers();
        camera->LookAt(Vector3<float>(0.0f, 5.0f, 0.0f), Vector3<float>(0.0f, 5.0f, -distances[k]),
                       Vector3<float>(0.0f, 1.0f, 0.0f));
        m_renderer->Clear(3);
        m_renderer->ApplyCamera();
        effect.SetCameraVectors(camera->GetLocation(), camera->GetRight(), camera->GetUp());
        effect.Render(&patch);
        const std::vector<unsigned char> rgba = ReadRgba(kSize, kSize);
        for (size_t p = 0; p < rgba.size(); p += 4)
            lit[k] += rgba[p + 1] > 40;
    }
    EXPECT_GT(lit[0], 100);
    EXPECT_EQ(0, lit[1]);
}

} // namespace
