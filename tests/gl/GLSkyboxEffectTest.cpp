#include "AssertRecorder.h"
#include "CoutCapture.h"
#include "GLReadBack.h"
#include "GLEffectFixture.h"
#include "TempFolder.h"
#include "TestImages.h"

#include "Core/Scenegraph/Camera.h"
#include "Core/Scenegraph/mesh/MeshBuilder.h"
#include "Core/Scenegraph/mesh/TriangleMesh.h"
#include "RenderGL/effects/GLSkyboxEffect.h"
#include "RenderGL/effects/api/glsl/GLSLProgram.h"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

const int kSize = 64;
// Faces px, py, pz, nx, ny, nz: the side faces bright above their middle
// and half as bright below it, so a probe also tells up from down.
const std::uint8_t kTop[6][3] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {0, 255, 255}, {255, 128, 0}, {255, 255, 0}};
const std::uint8_t kBottom[6][3] = {{128, 0, 0}, {0, 255, 0}, {0, 0, 128}, {0, 128, 128}, {255, 128, 0}, {128, 128, 0}};

Rgb Colour(const std::uint8_t c[3])
{
    return {c[0] / 255.0f, c[1] / 255.0f, c[2] / 255.0f};
}

class GLSkyboxEffectTest : public GLEffectFixture<kSize>
{
protected:
    void SetUp() override
    {
        GLEffectFixture::SetUp();
        if (HasFatalFailure())
            return;
        ASSERT_TRUE(TestImages::WriteCubeFaces(m_folder.Dir(), "sky.png", 8, kTop, kBottom));
        m_renderer->SetClearColor(Vector4<float>(1.0f, 0.0f, 1.0f, 1.0f));
        // The demo's depth range: the unit cube lies well inside the near plane.
        Camera()->SetPerspective(60.0f, 1.0f, 20.0f, 800.0f);
    }

    Vorm::Camera* Camera() { return m_renderer->GetCamera(); }
    void Look(const Vector3<float>& eye, const Vector3<float>& dir, const Vector3<float>& up)
    {
        Camera()->LookAt(eye, eye + dir, up);
        m_renderer->ApplyCamera();
    }
};

const float kTol = 3.0f / 255.0f;

size_t Lines(const std::string& text, const std::string& holding)
{
    size_t count = 0;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        count += line.find(holding) != std::string::npos;
    return count;
}

TEST_F(GLSkyboxEffectTest, EachFaceLiesWhereTheViewerLooksWhereverTheViewerStands)
{
    Vorm::GLSkyboxEffect sky;
    sky.SetCubemap("sky.png");
    struct View
    {
        Vector3<float> dir, up;
        int face;
    };
    const View views[6] = {
        {{1, 0, 0}, {0, 1, 0}, 0},  {{0, 1, 0}, {0, 0, 1}, 1},  {{0, 0, 1}, {0, 1, 0}, 2},
        {{-1, 0, 0}, {0, 1, 0}, 3}, {{0, -1, 0}, {0, 0, 1}, 4}, {{0, 0, -1}, {0, 1, 0}, 5},
    };
    // Far from the origin too: the cube goes with the camera.
    for (const Vector3<float>& eye : {Vector3<float>(0, 0, 0), Vector3<float>(500, 40, -300)}) {
        for (const View& v : views) {
            SCOPED_TRACE(v.face);
            Look(eye, v.dir, v.up);
            m_renderer->Clear(3);
            sky.Render();
            const bool side = v.face != 1 && v.face != 4;
            EXPECT_RGB_NEAR(Colour(kTop[v.face]), PixelRgb(kSize / 2, kSize * 3 / 4), kTol);
            EXPECT_RGB_NEAR(Colour(side ? kBottom[v.face] : kTop[v.face]), PixelRgb(kSize / 2, kSize / 4), kTol);
        }
    }
}

TEST_F(GLSkyboxEffectTest, SkyFillsExactlyTheEmptyPixelsAndRestoresCullingAndDepthFunction)
{
    // Boxes near the near plane, midway and just before the far plane.
    Vorm::MeshBuilder builder;
    Vorm::TriangleMesh boxes[3];
    const Vector3<float> places[3] = {{-8, -6, -40}, {60, 40, -400}, {-150, -180, -780}};
    const float sizes[3] = {12, 150, 260};
    for (int i = 0; i < 3; ++i) {
        builder.CreateBox(&boxes[i], sizes[i], sizes[i], sizes[i]);
        boxes[i].World().SetTranslation(places[i]);
    }
    boost::shared_ptr<Vorm::ApiEffect> flat = m_renderer->CreateApiEffect("Flat.glslfx");
    ASSERT_TRUE(flat);
    Vorm::GLSLUniformParam colour;
    ASSERT_TRUE(dynamic_cast<Vorm::GLSLProgram*>(flat.get())->GetUniform("Color", colour));
    Look(Vector3<float>(0, 0, 0), Vector3<float>(0, 0, -1), Vector3<float>(0, 1, 0));
    auto drawBoxes = [&] {
        m_renderer->Clear(3);
        m_renderer->SetApiEffect(flat);
        for (int i = 0; i < 3; ++i) {
            colour.SetFloat4(0.25f * float(i + 1), 0.5f, 0.5f, 1.0f);
            m_renderer->DrawGeometry(&boxes[i]);
        }
    };
    Vorm::GLSkyboxEffect sky;
    sky.SetCubemap("sky.png");
    for (unsigned cullMode : {0u, 2u}) {
        SCOPED_TRACE(cullMode);
        m_renderer->SetCullMode(cullMode);
        drawBoxes();
        const std::vector<std::uint8_t> scene = ReadRgba(kSize, kSize);
        drawBoxes();
        m_renderer->SetDepthFunc(1);
        sky.Render();
        const std::vector<std::uint8_t> frame = ReadRgba(kSize, kSize);
        int empty = 0, kept = 0;
        for (size_t p = 0; p < scene.size(); p += 4) {
            const bool wasEmpty = scene[p] == 255 && scene[p + 1] == 0 && scene[p + 2] == 255;
            const bool same = std::equal(&scene[p], &scene[p + 3], &frame[p]);
            if (wasEmpty) {
                ++empty;
                EXPECT_FALSE(same) << "sky missing at pixel " << p / 4;
            } else {
                ++kept;
                EXPECT_TRUE(same) << "geometry covered at pixel " << p / 4;
            }
        }
        EXPECT_GT(empty, kSize * kSize / 4);
        EXPECT_GT(kept, kSize * kSize / 8);
        EXPECT_EQ(cullMode, m_renderer->GetCullMode());
        EXPECT_EQ(cullMode != 2, glIsEnabled(GL_CULL_FACE) == GL_TRUE);
        if (cullMode == 0) {
            EXPECT_EQ(GL_FRONT, GLInt(GL_CULL_FACE_MODE));
        }
        EXPECT_EQ(GL_LESS, GLInt(GL_DEPTH_FUNC));
    }
}

TEST_F(GLSkyboxEffectTest, SkyBoxesHoldingOneSkyShareItsFacesWhichAreReadAgainOnceNoneHoldsThem)
{
    Look(Vector3<float>(0, 0, 0), Vector3<float>(1, 0, 0), Vector3<float>(0, 1, 0));
    std::vector<std::uint8_t> own;
    {
        Vorm::GLSkyboxEffect sky;
        sky.SetCubemap("sky.png");
        m_renderer->Clear(3);
        sky.Render();
        own = ReadRgba(kSize, kSize);
    }
    {
        // The scene's sky and the water's mirrored one, as a set-up makes them.
        Vorm::GLSkyboxEffect scene, mirrored;
        scene.SetCubemap("sky.png");
        mirrored.SetCubemap("sky.png");
        EXPECT_EQ(scene.GetCubemap(), mirrored.GetCubemap());
        m_renderer->Clear(3);
        mirrored.Render();
        EXPECT_EQ(own, ReadRgba(kSize, kSize));

        // Another folder is another sky.
        TempFolder other;
        ASSERT_TRUE(TestImages::WriteCubeFaces(other.Dir(), "sky.png", 8, kTop, kBottom));
        m_renderer->GetTexturePath() = other.Dir();
        Vorm::GLSkyboxEffect elsewhere;
        elsewhere.SetCubemap("sky.png");
        EXPECT_NE(scene.GetCubemap(), elsewhere.GetCubemap());
        m_renderer->GetTexturePath() = m_folder.Dir();
    }

    // A damaged face is named once for both sky boxes; once they are gone
    // (a new set-up), the next sky box reads the faces again, as does a sky
    // box that asks again while no other holds them.
    m_folder.Write("nx_sky.png", "not an image");
    CoutCapture out;
    {
        Vorm::GLSkyboxEffect scene, mirrored;
        scene.SetCubemap("sky.png");
        mirrored.SetCubemap("sky.png");
        mirrored.SetCubemap("sky.png");
        EXPECT_EQ(scene.GetCubemap(), mirrored.GetCubemap());
        EXPECT_EQ(1u, Lines(out.Text(), "nx_sky.png"));
    }
    Vorm::GLSkyboxEffect alone;
    alone.SetCubemap("sky.png");
    EXPECT_EQ(2u, Lines(out.Text(), "nx_sky.png"));
    alone.SetCubemap("sky.png");
    EXPECT_EQ(3u, Lines(out.Text(), "nx_sky.png"));
    EXPECT_EQ(0u, Lines(out.Text(), "px_sky.png"));
}

TEST_F(GLSkyboxEffectTest, WithoutCubemapOrProgramNothingIsDrawn)
{
    Look(Vector3<float>(0, 0, 0), Vector3<float>(0, 0, -1), Vector3<float>(0, 1, 0));
    {
        Vorm::GLSkyboxEffect sky;
        m_renderer->Clear(3);
        sky.Render();
        EXPECT_RGB_NEAR((Rgb{1, 0, 1}), PixelRgb(kSize / 2, kSize / 2), kTol);
        EXPECT_EQ(GLenum(GL_NO_ERROR), DrainGLErrors());
    }

    AssertRecorder rec;
    m_folder.Remove("SkyboxEffect.glslfx");
    NewRenderer();
    UseFolders(m_folder.Dir(), m_folder.Dir());
    m_renderer->SetClearColor(Vector4<float>(1.0f, 0.0f, 1.0f, 1.0f));
    Vorm::GLSkyboxEffect sky;
    EXPECT_TRUE(rec.Saw("m_spApiEffect && \"Can not load SkyboxEffect.glslfx\""));
    EXPECT_FALSE(sky.GetApiEffect());
    sky.SetCubemap("sky.png");
    m_renderer->Clear(3);
    CoutCapture out;
    sky.Render();
    sky.Render();
    const std::string text = out.Text();
    EXPECT_NE(std::string::npos, text.find("SkyboxEffect.glslfx"));
    EXPECT_EQ(text.find('\n'), text.rfind('\n')) << "reported more than once: " << text;
    EXPECT_RGB_NEAR((Rgb{1, 0, 1}), PixelRgb(kSize / 2, kSize / 2), kTol);
}

} // namespace
