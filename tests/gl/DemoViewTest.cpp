#include "CoutCapture.h"
#include "DemoRun.h"
#include "GLReadBack.h"

#include "Core/Rendering/IRenderTarget.h"
#include "Platform/GLWindowContext.h"
#include "RenderGL/effects/GLWaterEffect.h"
#include "RenderGL/texture/GLTexture.h"

#include <GL/glew.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

// What the viewer sees of both demos at another window size than the start's,
// and from the scene camera.
namespace {

const float kStep = 1.0f / 30.0f;

// The frame through the demo's passes. The grass is left out: its placement
// comes from the unseeded random generator, so a second set-up in one
// process places it elsewhere.
void DrawFrame(Verdmoor& demo, bool grass)
{
    for (const Verdmoor::Pass& pass : demo.GetPasses()) {
        if (grass || !pass.Is("grass"))
            demo.Draw(pass);
    }
    glFinish();
}

std::vector<unsigned char> FrameAfterOneSecond(DemoRun& run, int width, int height)
{
    for (int i = 0; i < 30; ++i)
        run.Demo().Update(kStep);
    DrawFrame(run.Demo(), false);
    return ReadRgba(width, height);
}

// Width and height of a water image's texture as GL holds it.
std::vector<int> ImageSize(Vorm::IRenderTarget* target)
{
    Vorm::GLTexture* texture = dynamic_cast<Vorm::GLTexture*>(target->GetColorTexture(0).get());
    if (!texture)
        return {};
    return {TextureLevelParam(*texture, GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH),
            TextureLevelParam(*texture, GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT)};
}

// A window grown from 640 x 480 to 960 x 720: the water's images take the
// new size, and the frame is the one a demo set up at that size draws.
TEST(DemoViewTest, AfterTheWindowGrowsTheWaterDrawsAsInAWindowOfThatSize)
{
    const int width = 960, height = 720;
    Win32::GLWindowContext ctx(width, height);
    ASSERT_TRUE(ctx.Ok()) << ctx.Error();
    for (Verdmoor::Scene scene : {Verdmoor::eScene_World, Verdmoor::eScene_Nature1}) {
        SCOPED_TRACE(scene == Verdmoor::eScene_World ? "world" : "nature1");
        std::vector<unsigned char> grown, fresh;
        {
            DemoRun run(scene, 640, 480);
            ASSERT_TRUE(run.Ok());
            run.App().Window().SetPosition(0, 0, width, height);
            run.Demo().Resize(width, height);
            Vorm::GLWaterEffect& water = *run.Demo().GetWaterEffect();
            EXPECT_EQ((std::vector<int>{width, height}), ImageSize(water.GetReflectionTarget()));
            EXPECT_EQ((std::vector<int>{width, height}), ImageSize(water.GetRefractionTarget()));
            grown = FrameAfterOneSecond(run, width, height);
        }
        {
            DemoRun run(scene, width, height);
            ASSERT_TRUE(run.Ok());
            fresh = FrameAfterOneSecond(run, width, height);
        }
        int differing = 0;
        for (size_t p = 0; p < grown.size(); p += 4) {
            int most = 0;
            for (size_t c = 0; c < 3; ++c)
                most = std::max(most, std::abs(int(grown[p + c]) - int(fresh[p + c])));
            differing += most > 2;
        }
        EXPECT_EQ(0, differing) << "pixels of " << width * height << " differ by more than 2 levels";
    }
    EXPECT_EQ(GLenum(GL_NO_ERROR), DrainGLErrors());
}

// F2 at the start: the scene camera's first frame shows the scene from
// outside it, with sky above; read from the depth buffer (the sky lies at
// the far end of it, where nothing else was drawn).
TEST(DemoViewTest, TheSceneCamerasFirstFrameSeesTheSceneAndTheSky)
{
    const int width = 1024, height = 768;
    Win32::GLWindowContext ctx(width, height);
    ASSERT_TRUE(ctx.Ok()) << ctx.Error();
    for (Verdmoor::Scene scene : {Verdmoor::eScene_World, Verdmoor::eScene_Nature1}) {
        SCOPED_TRACE(scene == Verdmoor::eScene_World ? "world" : "nature1");
        DemoRun run(scene, width, height);
        ASSERT_TRUE(run.Ok());
        Verdmoor& demo = run.Demo();
        run.Keys().Press(VormInput::eKey_F2);
        {
            CoutCapture out;
            demo.Update(kStep);
        }
        run.Keys().ReleaseAll();
        ASSERT_FALSE(demo.IsAnimatedCameraActive());
        DrawFrame(demo, true);

        const Vorm::Camera& camera = *demo.GetSceneCamera();
        const float n = camera.GetNear(), f = camera.GetFar();
        int nearer = 0, sky = 0;
        for (float depth : ReadDepth(width, height)) {
            if (depth >= 1.0f) {
                ++sky;
                continue;
            }
            // Window depth back to the distance along the view.
            const float ndc = 2.0f * depth - 1.0f;
            nearer += 2.0f * f * n / ((f + n) - ndc * (f - n)) < 3.0f;
        }
        const double pixels = double(width) * height;
        EXPECT_LT(nearer / pixels, 0.1);
        EXPECT_GT(sky / pixels, 0.05);
        EXPECT_LT(sky / pixels, 0.9);
    }
}

} // namespace
