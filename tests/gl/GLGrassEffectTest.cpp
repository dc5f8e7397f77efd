#include "AssertRecorder.h"
#include "GLReadBack.h"
#include "GLRendererFixture.h"
#include "TestImages.h"

#include "Core/Terrain/base/GrassPatch.h"
#include "RenderGL/effects/GLGrassEffect.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <vector>

// The grass program stands clumps up around their anchors, facing the camera,
// leaves the clump texture's transparent parts clear, and thins the meadow
// with the view without popping.
namespace {

class GLGrassEffectTest : public GLRendererFixture<>
{
public:
    static const int kSize = 256;
    static void SetUpTestSuite() { OpenContext(kSize, kSize); }

protected:
    void SetUp() override
    {
        GLRendererFixture<>::SetUp();
        if (HasFatalFailure())
            return;
        std::filesystem::create_directories(m_folder.Path("grassClumps"));
        WriteAtlas(false);
        // Mid grey noise: no bend, no change of height.
        std::vector<std::uint8_t> grey(4 * 4 * 3, 128);
        ASSERT_TRUE(TestImages::WriteTrueColor(m_folder.Path("grassClumps/clumpNoise.tga"), 4, 4, 3, grey));
        UseFolders(RepoPath("data/effects/"), m_folder.Dir());
    }

    // 16 x 16 atlas: in the lower-left quadrant (u, v < 0.5) the left half is
    // opaque white (or the whole quadrant), everything else transparent. The
    // texture's origin is the lower left, so the file's bottom rows are v = 0.
    void WriteAtlas(bool wholeQuadrant)
    {
        std::vector<std::uint8_t> bgra;
        for (int row = 0; row < 16; ++row)
            for (int x = 0; x < 16; ++x) {
                const bool opaque = row >= 8 && x < (wholeQuadrant ? 8 : 4);
                bgra.insert(bgra.end(), {255, 255, 255, std::uint8_t(opaque ? 255 : 0)});
            }
        ASSERT_TRUE(TestImages::WriteTrueColor(m_folder.Path("grassClumps/clumps.tga"), 16, 16, 4, bgra));
    }

    void Begin(float fov, const Vector3<float>& eye, const Vector3<float>& target)
    {
        Vorm::Camera* camera = m_renderer->GetCamera();
        camera->LookAt(eye, target, Vector3<float>(0.0f, 1.0f, 0.0f));
        camera->SetPerspective(fov, 1.0f, 1.0f, 2000.0f);
        m_renderer->SetViewport(0, 0, kSize, kSize);
        m_renderer->SetCullMode(1);
        m_renderer->EnableDepthTest(true);
        m_renderer->SetClearColor(Vector4<float>(0.0f, 0.0f, 0.0f, 1.0f));
        m_renderer->Clear(3);
        m_renderer->ApplyCamera();
    }
    void Draw(Vorm::GLGrassEffect& effect, Vorm::GrassPatch& patch)
    {
        const Vorm::Camera* camera = m_renderer->GetCamera();
        effect.SetCameraVectors(camera->GetLocation(), camera->GetRight(), camera->GetUp());
        effect.Render(&patch);
    }
    // Fragments the grass writes (those the alpha test keeps), with the depth
    // test off so that every one counts.
    GLuint Fragments(Vorm::GLGrassEffect& effect, Vorm::GrassPatch& patch)
    {
        GLuint query = 0, samples = 0;
        glGenQueries(1, &query);
        m_renderer->EnableDepthTest(false);
        glBeginQuery(GL_SAMPLES_PASSED, query);
        Draw(effect, patch);
        glEndQuery(GL_SAMPLES_PASSED);
        glGetQueryObjectuiv(query, GL_QUERY_RESULT, &samples);
        glDeleteQueries(1, &query);
        m_renderer->EnableDepthTest(true);
        return samples;
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

    // 7.5 x 7.5 clumps; the opaque left half spans x - 3.75 .. x + 0. Each is
    // seen from 20 units, near enough for no clump to be thinned out.
    const Vector3<float> anchors[3] = {Vector3<float>(-14.0f, 0.0f, 12.0f), Vector3<float>(9.0f, 4.0f, -2.0f),
                                       Vector3<float>(0.0f, -8.0f, -14.0f)};
    // Seen from the side (+z) and from the other side (-x): the clumps turn
    // with the camera, so their left half shows to its left both times.
    struct View
    {
        Vector3<float> from, right;
    };
    const View views[2] = {{Vector3<float>(0.0f, 2.0f, 20.0f), Vector3<float>(1.0f, 0.0f, 0.0f)},
                           {Vector3<float>(-20.0f, 2.0f, 0.0f), Vector3<float>(0.0f, 0.0f, 1.0f)}};
    for (const Vector3<float>& a : anchors) {
        // Anchors are world positions: the patch is drawn where its clumps lie.
        Vorm::GrassPatch patch;
        patch.AddClumpQ0(a, 1.0f);
        patch.CreateBuffers();
        for (const View& view : views) {
            const Vector3<float> eye = a + view.from;
            Begin(45.0f, eye, a + Vector3<float>(0.0f, 2.0f, 0.0f));
            Draw(effect, patch);

            // Side axis: horizontal, across the line from the camera.
            Vector3<float> toCamera = eye - a;
            Vector3<float> side(toCamera.z, 0.0f, -toCamera.x);
            side.Normalize();
            const Vector3<float> up(0.0f, 1.0f, 0.0f);
            EXPECT_TRUE(Lit(a + side * -2.0f + up * 3.75f)) << a.x;
            EXPECT_TRUE(Lit(a + side * -3.2f + up * 7.0f)) << a.x;
            EXPECT_FALSE(Lit(a + side * 2.0f + up * 3.75f)) << a.x;   // transparent half
            EXPECT_FALSE(Lit(a + side * -2.0f + up * 9.0f)) << a.x;   // above the clump
            EXPECT_FALSE(Lit(a + side * -2.0f + up * -1.5f)) << a.x;  // below the anchor
            EXPECT_FALSE(Lit(a + side * -5.0f + up * 3.75f)) << a.x;  // beside it
            // The state the caller set stays; the effect uploads the constant far distance.
            EXPECT_EQ(GL_TRUE, glIsEnabled(GL_CULL_FACE));
            EXPECT_EQ(GL_TRUE, glIsEnabled(GL_DEPTH_TEST));
            EXPECT_EQ(GL_FALSE, glIsEnabled(GL_BLEND));
            const GLuint program = ProgramHandle(effect.GetApiEffect());
            EXPECT_FLOAT_EQ(10000.0f, UniformFloats(program, "farDist", 1)[0]);
            EXPECT_EQ(eye.x, UniformFloats(program, "camPosition", 3)[0]);
            EXPECT_NEAR(view.right.z, UniformFloats(program, "camRight", 3)[2], 1e-5f);
            EXPECT_EQ(1, UniformInt(program, "Tex_GrassNoise"));
            EXPECT_EQ(TextureHandle(effect.GetClumpTexture()), TextureOnUnit(0));
        }
    }
    EXPECT_TRUE(rec.Failures().empty());
}

TEST_F(GLGrassEffectTest, ClumpsThinOutWithDistanceWithoutPopping)
{
    WriteAtlas(true);
    Vorm::GLGrassEffect effect;
    // Clumps on their own, each followed by a camera that keeps 40 units above
    // it and draws away across the ground; the view narrows with the distance
    // so that the clump keeps its size in the picture. Opaque clumps: every
    // fragment the clump costs is counted.
    const int kClumps = 12;
    int gone = 0;
    for (int c = 0; c < kClumps; ++c) {
        const Vector3<float> anchor(37.0f * c - 150.0f, 3.0f * (c % 4), 23.0f * (c % 5) - 40.0f);
        Vorm::GrassPatch patch;
        patch.AddClumpQ0(anchor, 1.0f);
        patch.CreateBuffers();
        std::vector<GLuint> counts;
        for (float away = 10.0f; away < 300.0f; away *= 1.01f) {
            const Vector3<float> eye = anchor + Vector3<float>(0.0f, 40.0f, away);
            const float fov = 2.0f * std::atan(12.0f / (eye - anchor).Length()) * 180.0f / 3.14159265f;
            Begin(fov, eye, anchor + Vector3<float>(0.0f, 3.75f, 0.0f));
            counts.push_back(Fragments(effect, patch));
        }
        const GLuint full = *std::max_element(counts.begin(), counts.end());
        // Near by, the clump is drawn in full: a third of the picture's height and width.
        EXPECT_GT(counts[0], GLuint(kSize * kSize / 40)) << c;
        // It shrinks away over many steps: no step loses a quarter of it.
        for (size_t k = 1; k < counts.size(); ++k)
            EXPECT_LE(int(counts[k - 1]) - int(counts[k]), int(full / 4)) << c << " at step " << k;
        gone += counts.back() == 0;
    }
    // Looked at this flatly from afar, few clumps are kept.
    EXPECT_GE(gone, kClumps * 3 / 4);
}

TEST_F(GLGrassEffectTest, AThinnedMeadowStaysCoveredAndCheap)
{
    // A meadow as dense as the demo's (a clump every 2 units) seen across
    // from 30 units above it, the ground ahead from 100 units on.
    Vorm::GLGrassEffect effect;
    Vorm::GrassPatch patch;
    for (float z = -800.0f; z < -60.0f; z += 2.0f) {
        for (float x = -160.0f; x < 160.0f; x += 2.0f) {
            // A little off the grid, as placed clumps are.
            const Vector3<float> at(x + std::fmod(z * 0.37f, 1.3f), 0.0f, z + std::fmod(x * 0.53f, 1.1f));
            patch.AddClumpQ0(at, 1.0f);
        }
    }
    patch.CreateBuffers();
    const Vector3<float> eye(0.0f, 30.0f, 0.0f);
    Begin(20.0f, eye, Vector3<float>(0.0f, 0.0f, -250.0f));
    Draw(effect, patch);
    const std::vector<unsigned char> rgba = ReadRgba(kSize, kSize);
    const GLuint fragments = Fragments(effect, patch);
    EXPECT_EQ(GLenum(GL_NO_ERROR), glGetError());

    // Rows from the bottom of the view (about 100 units ahead) to the far edge
    // of the meadow (800 units) in four bands: each stays mostly covered.
    int middle = 0, farRow = 0;
    Pixel(Vector3<float>(0.0f, 0.0f, -800.0f), middle, farRow);
    int covered = 0;
    for (int band = 0; band < 4; ++band) {
        int bandPixels = 0, bandCovered = 0;
        for (int y = band * farRow / 4; y < (band + 1) * farRow / 4; ++y)
            for (int x = 0; x < kSize; ++x) {
                ++bandPixels;
                bandCovered += rgba[4 * (size_t(y) * kSize + x) + 1] > 40;
            }
        EXPECT_GT(bandCovered, bandPixels / 2) << "band " << band;
        covered += bandCovered;
    }
    // Drawn in full, the clumps would write some thirty fragments to every
    // pixel of the meadow; thinned, a few, and most clumps cost nothing.
    EXPECT_GT(farRow, kSize / 2);
    EXPECT_LT(fragments, GLuint(6 * covered));
}

} // namespace
