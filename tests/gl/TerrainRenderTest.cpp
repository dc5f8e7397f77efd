#include "AssertRecorder.h"
#include "DemoTerrain.h"
#include "GLReadBack.h"
#include "GLRendererFixture.h"
#include "TestImages.h"

#include "Core/Rendering/IMaterialEffect.h"
#include "Core/Rendering/texture/Image.h"
#include "Core/Scenegraph/Culler.h"
#include "Core/Scenegraph/Light.h"
#include "Core/Terrain/base/Terrain.h"
#include "RenderGL/effects/GLGrassEffect.h"
#include "RenderGL/effects/api/glsl/GLSLProgram.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <vector>

// Draws terrains through the GL renderer: the strips' winding against
// back-face culling, and the demo's terrain with its grass as a picture.
namespace {

class TerrainRenderTest : public GLRendererFixture<>
{
public:
    static const int kWidth = 512;
    static const int kHeight = 384;
    static void SetUpTestSuite() { OpenContext(kWidth, kHeight); }

protected:
    void Begin()
    {
        m_renderer->SetViewport(0, 0, kWidth, kHeight);
        m_renderer->SetCullMode(1);
        m_renderer->EnableDepthTest(true);
        m_renderer->SetClearColor(Vector4<float>(0.0f, 0.0f, 0.0f, 1.0f));
        m_renderer->Clear(3);
    }
    // The visible cells with the current effect (made current by the caller).
    void DrawCells(Vorm::Terrain& terrain)
    {
        terrain.Update(0.0f, true);
        Vorm::Culler culler;
        culler.CollectVisible(terrain, m_renderer->GetCamera());
        for (Vorm::Geometry* cell : culler.GetVisibleList())
            m_renderer->DrawGeometry(cell);
    }
};

TEST_F(TerrainRenderTest, EveryTriangleFacesUp)
{
    // Hills from a height image, so slopes of every direction are drawn.
    std::vector<std::uint8_t> bgr;
    for (int y = 0; y < 33; ++y)
        for (int x = 0; x < 33; ++x)
            bgr.insert(bgr.end(), {0, 0, std::uint8_t(128 + 100 * std::sin(x * 0.7) * std::cos(y * 0.5))});
    ASSERT_TRUE(TestImages::WriteTrueColor(m_folder.Path("hills.tga"), 33, 33, 3, bgr));
    Vorm::TerrainDesc desc;
    desc.SetCells(2, 2, 8, 8);
    desc.SetHeightMap("hills.tga", 3.0f);
    Vorm::Terrain terrain;
    terrain.Create(desc);

    boost::shared_ptr<Vorm::ApiEffect> flat = m_renderer->CreateApiEffect("Flat.glslfx");
    ASSERT_TRUE(flat);
    Vorm::GLSLUniformParam colour;
    ASSERT_TRUE(dynamic_cast<Vorm::GLSLProgram*>(flat.get())->GetUniform("Color", colour));
    Vorm::Camera* camera = m_renderer->GetCamera();
    camera->SetPerspective(30.0f, float(kWidth) / kHeight, 1.0f, 200.0f);

    const float heights[2] = {60.0f, -60.0f};
    int covered[2] = {0, 0};
    for (int pass = 0; pass < 2; ++pass) {
        camera->LookAt(Vector3<float>(0.0f, heights[pass], 0.0f), Vector3<float>(0.0f, 0.0f, 0.0f),
                       Vector3<float>(0.0f, 0.0f, -1.0f));
        Begin();
        m_renderer->SetApiEffect(flat);
        m_renderer->ApplyCamera();
        colour.SetFloat4(1.0f, 1.0f, 1.0f, 1.0f);
        DrawCells(terrain);
        const std::vector<unsigned char> rgba = ReadRgba(kWidth, kHeight);
        for (size_t k = 0; k < rgba.size(); k += 4)
            covered[pass] += rgba[k] > 128;
        // The middle of the view lies inside the terrain from either side.
        if (pass == 0) {
            for (int y = kHeight / 4; y < 3 * kHeight / 4; y += 7)
                for (int x = kWidth / 3; x < 2 * kWidth / 3; x += 7)
                    ASSERT_EQ(255, PixelRgba(x, y)[0]) << x << ", " << y;
        }
    }
    EXPECT_GT(covered[0], kWidth * kHeight / 5);
    // From below every triangle shows its back, which is culled.
    EXPECT_EQ(0, covered[1]);
}

// The demo's terrain and grass under a camera like the demo's; the picture
// goes next to the test program.
TEST_F(TerrainRenderTest, DemoTerrainWithGrassOnlyOnItsMeadows)
{
    AssertRecorder rec;
    UseFolders(RepoPath("data/effects/"), RepoPath("data/texture/"));
    Vorm::Terrain terrain;
    terrain.Create(DemoTerrainDesc());
    const Vorm::Image coverage("tCoverage.png", true);
    ASSERT_FALSE(coverage.IsEmpty());
    Vorm::GLGrassEffect grass;
    ASSERT_TRUE(grass.GetApiEffect());

    // The world demo's light: ambient only, falling towards the viewer.
    const boost::shared_ptr<Vorm::Light> light = m_renderer->GetLights()[0];
    light->SetAmbient(Vector4<float>(0.4f, 0.4f, 0.5f, 1.0f));
    light->SetDiffuse(Vector4<float>(0.0f, 0.0f, 0.0f, 1.0f));
    light->SetDirection(Vector3<float>(0.0f, -1.0f, 1.0f).Normalized());
    const float nearPlane = 20.0f, farPlane = 800.0f, fov = 20.0f;
    Vorm::Camera* camera = m_renderer->GetCamera();
    camera->SetPerspective(fov, float(kWidth) / kHeight, nearPlane, farPlane);
    // 40 units above the ground, looking 150 units ahead onto the meadows of the north.
    const Vector3<float> eye(0.0f, DemoGroundAt(terrain, 0.0f, -40.0f) + 40.0f, -40.0f);
    camera->LookAt(eye, Vector3<float>(0.0f, DemoGroundAt(terrain, 0.0f, -190.0f), -190.0f), Vector3<float>(0.0f, 1.0f, 0.0f));

    auto draw = [&](bool withGrass) {
        Begin();
        const boost::shared_ptr<Vorm::IMaterialEffect> material = terrain.GetMaterialEffect();
        m_renderer->SetApiEffect(material->GetApiEffect());
        m_renderer->ApplyCamera();
        material->Apply();
        DrawCells(terrain);
        if (withGrass) {
            grass.SetCameraVectors(camera->GetLocation(), camera->GetRight(), camera->GetUp());
            grass.Render(&terrain.GetGrassPatch());
        }
    };
    draw(false);
    const std::vector<unsigned char> ground = ReadRgba(kWidth, kHeight);
    const std::vector<float> depth = ReadDepth(kWidth, kHeight);
    draw(true);
    const std::vector<unsigned char> picture = ReadRgba(kWidth, kHeight);
    const std::filesystem::path here = std::filesystem::read_symlink("/proc/self/exe").parent_path();
    EXPECT_TRUE(TestImages::SaveReadBufferPng((here / "terrain_grass.png").string(), kWidth, kHeight));
    EXPECT_EQ(m_renderer->GetCullMode(), 1u);

    // Coverage kind around a ground point: 0 none, 1 sparse, 2 dense (red or green).
    auto kind = [&](float x, float z) {
        const float u = std::min(std::max(x / 600.0f + 0.5f, 0.0f), 1.0f);
        const float v = std::min(std::max(z / 600.0f + 0.5f, 0.0f), 1.0f);
        const Vector4<float> c = coverage.GetPixel(std::uint32_t(u * (coverage.GetWidth() - 1) + 0.5f),
                                                   std::uint32_t(v * (coverage.GetHeight() - 1) + 0.5f));
        if (c.x <= 0.0f || c.y <= 0.0f || c.z <= 0.0f)
            return 0;
        return (c.y > 100.0f && c.z < 100.0f) ? 2 : 1;
    };
    // The ground point each pixel of the bare terrain shows.
    const float tanY = std::tan(fov * 0.5f * 3.14159265f / 180.0f), tanX = tanY * kWidth / kHeight;
    const Vector3<float> right = camera->GetRight(), up = camera->GetUp(), forward = up.Cross(right);
    int grassPixels = 0, strayPixels = 0, denseNear = 0, denseNearWithGrass = 0;
    double meadow[3] = {0.0, 0.0, 0.0}, blades[3] = {0.0, 0.0, 0.0};
    for (int y = 0; y < kHeight; y += 2) {
        for (int x = 0; x < kWidth; x += 2) {
            const size_t k = size_t(y) * kWidth + x;
            const float d = depth[k];
            if (d >= 1.0f)
                continue;
            const float eyeZ = 2.0f * nearPlane * farPlane / (farPlane + nearPlane - (2.0f * d - 1.0f) * (farPlane - nearPlane));
            const float nx = (x + 0.5f) / kWidth * 2.0f - 1.0f, ny = (y + 0.5f) / kHeight * 2.0f - 1.0f;
            const Vector3<float> p = eye + (forward + right * (nx * tanX) + up * (ny * tanY)) * eyeZ;
            int diff = 0;
            for (int c = 0; c < 3; ++c)
                diff += std::abs(int(picture[4 * k + c]) - int(ground[4 * k + c]));
            const bool hasGrass = diff > 24;
            // Clumps stand up to 15 units tall and hide the ground behind them.
            int nearest = 0;
            for (float dz = -24.0f; dz <= 24.0f && nearest == 0; dz += 2.0f)
                for (float dx = -24.0f; dx <= 24.0f && nearest == 0; dx += 2.0f)
                    nearest = kind(p.x + dx, p.z + dz);
            grassPixels += hasGrass;
            for (int c = 0; c < 3 && hasGrass; ++c)
                blades[c] += picture[4 * k + c] / 255.0;
            strayPixels += hasGrass && nearest == 0;
            bool dense = (p - eye).Length() < 150.0f;
            for (float dz = -3.0f; dz <= 3.0f && dense; dz += 3.0f)
                for (float dx = -3.0f; dx <= 3.0f && dense; dx += 3.0f)
                    dense = kind(p.x + dx, p.z + dz) == 2;
            denseNear += dense;
            for (int c = 0; c < 3 && dense; ++c)
                meadow[c] += ground[4 * k + c] / 255.0;
            denseNearWithGrass += dense && hasGrass;
        }
    }
    EXPECT_GT(grassPixels, 500);
    EXPECT_EQ(0, strayPixels);
    EXPECT_GT(denseNear, 200);
    EXPECT_GT(denseNearWithGrass, denseNear / 2);
    // Bare meadow ground under the demo's light looks green, not blue, and is
    // not blown out; the clumps are darker than it but do not read as holes.
    const float meadowR = float(meadow[0] / denseNear), meadowG = float(meadow[1] / denseNear),
                meadowB = float(meadow[2] / denseNear), bladesG = float(blades[1] / grassPixels);
    EXPECT_GT(meadowG, meadowR + 0.05f);
    EXPECT_GT(meadowG, meadowB + 0.15f);
    EXPECT_GT(meadowG, 0.4f);
    EXPECT_LT(meadowG, 0.8f);
    EXPECT_GT(bladesG, 0.5f * meadowG);
    EXPECT_LT(bladesG, meadowG);
    EXPECT_TRUE(rec.Failures().empty());
}

} // namespace
