#include "MathExpect.h"
#include "RecordingRenderer.h"

#include "Core/Rendering/IRenderTarget.h"
#include "Core/Scenegraph/Light.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using namespace Vorm;

namespace {

class LightTest : public ::testing::Test
{
protected:
    LightTest() : m_light(m_renderer.GetLights()[0])
    {
        // A viewer away from the origin, looking along +X and slightly down.
        m_viewer.LookAt(Vector3<float>(5, 10, -3), Vector3<float>(50, 4, -3), Vector3<float>(0, 1, 0));
        m_viewer.SetPerspective(35.0f, 4.0f / 3.0f, 1.0f, 100.0f);
        m_renderer.SetCamera(&m_viewer);
    }

    RecordingRenderer m_renderer;
    boost::shared_ptr<Light> m_light;
    Camera m_viewer;
};

} // namespace

TEST_F(LightTest, ShadowMapsAreMadeOnce)
{
    EXPECT_FALSE(m_light->CastsShadows());
    EXPECT_EQ(m_light->GetSplitCount(), 0u);
    EXPECT_FLOAT_EQ(m_light->GetDirection().z, 1.0f / std::sqrt(2.0f));
    m_renderer.ClearLog();
    m_light->SetCastShadows(true);
    EXPECT_TRUE(m_light->CastsShadows());
    ASSERT_EQ(m_light->GetSplitCount(), 1u);
    EXPECT_EQ(m_renderer.Log(), (RecordingLogLines{"CreateRenderTarget", "RT.Create 1024 1024 1", "RT.AttachDepthTexture",
                                                   "Tex.Create 1024 1024 mip 1 flip 1 type 1 ifmt 10 pfmt 8",
                                                   "Tex.SetParameters 0 0 0 0"}));

    m_renderer.ClearLog();
    m_light->CreateShadowMaps(false, 2, 2048, 2048);
    EXPECT_FALSE(m_light->CastsShadows());
    m_light->SetCastShadows(true);
    m_light->CreateShadowMaps(true, 2, 2048, 2048);
    EXPECT_TRUE(m_light->CastsShadows());
    EXPECT_EQ(m_light->GetSplitCount(), 1u);
    EXPECT_EQ(m_light->GetShadowMap(0)->GetWidth(), 1024u);
    EXPECT_TRUE(m_renderer.Log().empty());
}

TEST_F(LightTest, SplitDistancesMixLogarithmicAndUniform)
{
    m_light->CreateShadowMaps(true, 2, 2048, 2048);
    EXPECT_EQ(m_renderer.Find("RT.Create 2048 2048 1").size(), 2u);
    m_light->UpdateShadows();
    // 0.5 * 1 * 100^0.5 + 0.5 * (1 + 99 * 0.5)
    EXPECT_FLOAT_EQ(m_light->GetSplitNear(0), 1.0f);
    EXPECT_FLOAT_EQ(m_light->GetSplitFar(0), 30.25f);
    EXPECT_FLOAT_EQ(m_light->GetSplitNear(1), 30.25f);
    EXPECT_FLOAT_EQ(m_light->GetSplitFar(1), 100.0f);

    Light single(7);
    single.CreateShadowMaps(true, 1, 16, 16);
    Camera wide;
    wide.SetPerspective(60.0f, 1.0f, 0.1f, 1000.0f);
    single.UpdateShadowMatrices(&wide);
    ASSERT_EQ(single.GetSplitNears().size(), 1u);
    EXPECT_FLOAT_EQ(single.GetSplitNear(0), 0.1f);
    EXPECT_FLOAT_EQ(single.GetSplitFar(0), 1000.0f);
}

TEST_F(LightTest, ShadowUpdatePlacesTheLightAndCropsEachSlice)
{
    m_light->SetPosition(Vector3<float>(1, 2, 3));
    m_light->CreateShadowMaps(true, 3, 512, 512);
    m_light->UpdateShadows();

    // Corner centre of a symmetric volume: L + D (n + f) / 2; minus dir * far.
    const Vector3<float> centre = m_viewer.GetLocation() + m_viewer.GetDirection() * 50.5f;
    const Vector3<float> expected = centre - m_light->GetDirection() * 100.0f;
    MathExpect::ExpectNear(m_light->GetPosition(), expected.x, expected.y, expected.z, 1e-3f);

    for (unsigned s = 0; s < 3; ++s)
    {
        SCOPED_TRACE(s);
        Camera slice;
        slice.SetPerspective(35.0f, 4.0f / 3.0f, m_light->GetSplitNear(s), m_light->GetSplitFar(s));
        Frustum f(slice.GetFrustum());
        f.SetFrame(m_viewer.GetLocation(), m_viewer.GetDirection(), m_viewer.GetRight(), m_viewer.GetUp());
        f.UpdateCorners();
        const Matrix44<float> m = m_light->GetShadowMatrix(s);
        float lo[3] = {1e9f, 1e9f, 1e9f}, hi[3] = {-1e9f, -1e9f, -1e9f};
        for (const Vector3<float>& p : f.GetCorners())
        {
            const Vector4<float> q = m * Vector4<float>(p.x, p.y, p.z, 1.0f);
            for (unsigned char k = 0; k < 3; ++k)
            {
                lo[k] = std::min(lo[k], q[k]);
                hi[k] = std::max(hi[k], q[k]);
            }
        }
        // The slice fills the map's x and y exactly; depth ends at 1 and starts at or past 0.
        MathExpect::ExpectNear(Vector4<float>(lo[0], hi[0], lo[1], hi[1]), -1, 1, -1, 1, 1e-4f);
        EXPECT_NEAR(hi[2], 1.0f, 1e-4f);
        EXPECT_GE(lo[2], 0.0f);
    }
}

TEST_F(LightTest, NoSplitsAndNegativeCountsAreHarmless)
{
    m_light->CreateShadowMaps(true, -3, 512, 512);
    EXPECT_EQ(m_light->GetSplitCount(), 0u);
    EXPECT_TRUE(m_light->CastsShadows());
    EXPECT_TRUE(m_renderer.Find("CreateRenderTarget").empty());

    m_light->UpdateShadows();
    EXPECT_TRUE(m_light->GetSplitNears().empty());
    EXPECT_TRUE(m_light->GetShadowMatrices().empty());

    // No map was made, so a later request still makes them.
    m_light->CreateShadowMaps(true, 2, 64, 64);
    EXPECT_EQ(m_light->GetSplitCount(), 2u);
    m_light->SetCastShadows(false);
    EXPECT_EQ(m_light->GetShadowMaps().size(), 2u);
}
