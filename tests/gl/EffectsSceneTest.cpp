#include "GLEffectFixture.h"
#include "GLReadBack.h"
#include "TestImages.h"
#include "TestMeshes.h"

#include "Core/Scenegraph/Camera.h"
#include "Core/Scenegraph/Light.h"
#include "Core/Scenegraph/mesh/TriangleMesh.h"
#include "RenderGL/effects/GLShadowMappingEffect.h"
#include "RenderGL/effects/GLSkyboxEffect.h"
#include "RenderGL/effects/GLWaterEffect.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <memory>
#include <vector>

// A small outdoor picture drawn the way the demo draws a frame: shadow pass,
// lit scene, sky, water. Saved as "effects_scene.png" beside the test
// program; the probes keep what the picture shows.
namespace {

const int kWidth = 320;
const int kHeight = 240;
const float kPi = 3.14159265f;

// Sky faces: a gradient from a deep zenith to a pale horizon, dull ground below.
void WriteSky(const std::string& folder)
{
    const int n = 64;
    const char* const prefixes[6] = {"px_", "py_", "pz_", "nx_", "ny_", "nz_"};
    for (int f = 0; f < 6; ++f) {
        std::vector<std::uint8_t> rgb;
        for (int y = 0; y < n; ++y) {       // bottom row first
            for (int x = 0; x < n; ++x) {
                float up = (y + 0.5f) / n * 2.0f - 1.0f; // -1 bottom .. 1 top of a side face
                if (f == 1)
                    up = 1.0f;
                if (f == 4)
                    up = -1.0f;
                float r, g, b;
                if (up >= 0.0f) {
                    const float k = std::pow(up, 0.6f);
                    r = 200 - 150 * k, g = 222 - 120 * k, b = 240 - 55 * k;
                } else {
                    r = 96, g = 104, b = 88;
                }
                rgb.insert(rgb.end(), {std::uint8_t(r), std::uint8_t(g), std::uint8_t(b)});
            }
        }
        ASSERT_TRUE(TestImages::WritePng(folder + prefixes[f] + "brightday1.png", n, n, rgb));
    }
}

// A tileable ripple normal map: the slopes of a few crossing waves.
void WriteRipples(const std::string& folder)
{
    const int n = 64;
    std::vector<std::uint8_t> rgb;
    for (int y = 0; y < n; ++y) {
        for (int x = 0; x < n; ++x) {
            const float u = 2 * kPi * x / n, v = 2 * kPi * y / n;
            const float dx = 0.5f * std::cos(2 * u + v) + 0.3f * std::cos(3 * u - 2 * v) + 0.2f * std::cos(5 * u + 4 * v);
            const float dy = 0.25f * std::cos(2 * u + v) - 0.2f * std::cos(3 * u - 2 * v) + 0.16f * std::cos(5 * u + 4 * v) +
                             0.4f * std::cos(3 * v - u);
            const float len = std::sqrt(dx * dx + dy * dy + 1.0f);
            rgb.insert(rgb.end(), {std::uint8_t(128 + 127 * dx / len), std::uint8_t(128 + 127 * dy / len),
                                   std::uint8_t(128 + 127 / len)});
        }
    }
    ASSERT_TRUE(TestImages::WritePng(folder + "WaterRipples.png", n, n, rgb));
}

class EffectsSceneTest : public GLEffectFixture<kWidth, kHeight>
{
};

float Luma(const Rgb& c)
{
    return 0.3f * c.r + 0.59f * c.g + 0.11f * c.b;
}

TEST_F(EffectsSceneTest, SkyShadowAndReflectionInOnePicture)
{
    WriteSky(m_folder.Dir());
    WriteRipples(m_folder.Dir());
    Vorm::Camera* camera = m_renderer->GetCamera();
    camera->LookAt(Vector3<float>(0, 3, 16), Vector3<float>(0, 1, -2), Vector3<float>(0, 1, 0));
    camera->SetPerspective(45.0f, float(kWidth) / kHeight, 1.0f, 200.0f);
    boost::shared_ptr<Vorm::Light> light = m_renderer->GetLights()[0];
    light->SetDirection(Vector3<float>(0.8f, -1.0f, -0.5f).Normalized());
    light->SetAmbient(Vector4<float>(0.3f, 0.3f, 0.3f, 1.0f));
    light->SetDiffuse(Vector4<float>(0.8f, 0.8f, 0.75f, 1.0f));
    light->CreateShadowMaps(true, 2, 512, 512);

    Vorm::TriangleMesh ground, box;
    Vorm::TriangleMesh* water = new Vorm::TriangleMesh();
    TestMeshes::BoxOnGroundByWater(&ground, &box, water);

    Vorm::GLShadowMappingEffect shadows;
    Vorm::GLSkyboxEffect sky;
    sky.SetCubemap("brightday1.png");
    Vorm::GLWaterEffect waterEffect;
    waterEffect.SetWaterPlane(Vorm::Plane(Vector3<float>(0, 1, 0), 0.0f, true));
    waterEffect.SetWaterGeometries({boost::shared_ptr<Vorm::Geometry>(water)});
    waterEffect.SetReflectedMeshes({&ground, &box});
    waterEffect.Update(20.0f);

    m_renderer->ApplyCamera();
    shadows.Render(light, {&box});
    TestMeshes::DrawLit(*m_renderer, {&ground, &box}, Vector4<float>(0, 0, 0, 1));
    sky.Render();
    waterEffect.Render();

    std::error_code ec;
    const std::filesystem::path png = std::filesystem::read_symlink("/proc/self/exe", ec).parent_path() / "effects_scene.png";
    EXPECT_TRUE(TestImages::SaveReadBufferPng(png.string(), kWidth, kHeight)) << png;

    auto at = [&](const Vector3<float>& p) {
        const ScreenPoint px = ScreenPixel(*camera, p, kWidth, kHeight);
        return PixelRgb(px.x, px.y);
    };
    // Sky: blue above, paler towards the horizon.
    const Rgb zenith = PixelRgb(kWidth / 2, kHeight - 2);
    EXPECT_GT(zenith.b, zenith.r + 0.2f);
    // The box's shadow on the ground beside it, against open ground.
    const Rgb shadowed = at(Vector3<float>(2.0f, 0.4f, -5.0f)), lit = at(Vector3<float>(-3.0f, 0.4f, -5.0f));
    EXPECT_LT(Luma(shadowed), 0.6f * Luma(lit));
    EXPECT_GT(lit.g, lit.b);
    // In front of the ground the water mirrors the red box; beside it the sky.
    const Rgb mirroredBox = at(Vector3<float>(0, 0, 2.0f)), mirroredSky = at(Vector3<float>(-3, 0, 2.0f));
    EXPECT_GT(mirroredBox.r - mirroredBox.b, mirroredSky.r - mirroredSky.b + 0.1f) << mirroredBox.r << " " << mirroredBox.g << " " << mirroredBox.b << " / " << mirroredSky.r << " " << mirroredSky.g << " " << mirroredSky.b;
    EXPECT_GT(mirroredSky.b, mirroredSky.r + 0.1f);
}

} // namespace
