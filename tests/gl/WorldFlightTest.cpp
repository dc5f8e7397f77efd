#include "DemoRun.h"

#include "Core/Scenegraph/Camera.h"
#include "Core/Scenegraph/Spatial.h"
#include "Core/Scenegraph/TransformController.h"
#include "Platform/GLWindowContext.h"

#include <GL/glew.h>
#include <gtest/gtest.h>

#include <sstream>
#include <vector>

// The world demo's own scene and flight on a real context: the meadows'
// grass is seen through the loop, not only from the scene camera.
namespace {

const int kWidth = 1024;
const int kHeight = 768;

TEST(WorldFlightTest, GrassIsSeenThroughTheWholeLoop)
{
    Win32::GLWindowContext ctx(kWidth, kHeight);
    ASSERT_TRUE(ctx.Ok()) << ctx.Error();
    DemoRun run(Verdmoor::eScene_World, kWidth, kHeight);
    ASSERT_TRUE(run.Ok());
    Verdmoor& demo = run.Demo();

    // Updates of 1/30 s, the key frames' spacing: the loop takes as many
    // updates as it has key frames.
    const float step = 1.0f / 30.0f;
    const int loop = int(demo.GetAnimatedMesh()->GetController()->GetKeyframeCount());
    ASSERT_GT(loop, 100);

    // At 32 moments spread over the loop, the frame with its grass pass
    // inside a samples-passed query.
    const int kMoments = 32;
    GLuint query = 0;
    glGenQueries(1, &query);
    std::vector<double> shares;
    std::ostringstream seen;
    for (int m = 0; m < kMoments; ++m) {
        for (int k = 0; k < loop / kMoments; ++k)
            demo.Update(step);
        for (const Verdmoor::Pass& pass : demo.GetPasses()) {
            const bool grass = pass.Is("grass");
            if (grass)
                glBeginQuery(GL_SAMPLES_PASSED, query);
            demo.Draw(pass);
            if (grass)
                glEndQuery(GL_SAMPLES_PASSED);
        }
        GLuint samples = 0;
        glGetQueryObjectuiv(query, GL_QUERY_RESULT, &samples);
        shares.push_back(double(samples) / (kWidth * kHeight));
        const Vector3<float> at = demo.GetAnimatedCamera()->GetLocation();
        seen << "key " << (m + 1) * (loop / kMoments) << " at (" << at.x << ", " << at.y << ", " << at.z
             << "): " << 100.0 * shares.back() << "%\n";
    }
    glDeleteQueries(1, &query);
    EXPECT_EQ(GLenum(GL_NO_ERROR), glGetError());

    double sum = 0.0;
    int withGrass = 0;
    for (double share : shares) {
        sum += share;
        withGrass += share >= 0.01;
    }
    // On average the grass writes at least 8% of the frame's pixels, and at
    // least 1% in three quarters of the moments.
    EXPECT_GE(sum / kMoments, 0.08) << seen.str();
    EXPECT_GE(withGrass * 4, kMoments * 3) << seen.str();
}

} // namespace
