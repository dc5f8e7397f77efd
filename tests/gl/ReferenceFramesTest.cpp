#include "DemoRun.h"
#include "GLFixture.h"
#include "TestImages.h"

#include "Core/Scenegraph/Spatial.h"
#include "Core/Scenegraph/TransformController.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

// Both demo scenes at fixed moments of their flight, reached by fixed update
// steps from the start and drawn through the demo's own list of passes (the
// world without its grass, whose shader is tuned apart), against reference
// frames kept in tests/data/frames: faster shaders must draw the same
// pictures, so at most 0.5% of the pixels may differ by more than 2 levels.
// The references keep every second pixel of every second row. Every frame
// drawn is also written beside the test program, to be looked at.
//
// With VORM_WRITE_REFERENCE_FRAMES set the test writes the references
// instead (scripts/reference-frames.sh).
namespace {

const int kWidth = 1024;
const int kHeight = 768;
const float kStep = 1.0f / 30.0f;
// Moments per scene, evenly spread over the flight from its start.
const int kMoments = 3;

class ReferenceFramesTest : public GLFixture
{
public:
    static void SetUpTestSuite() { OpenContext(kWidth, kHeight); }

protected:
    void Check(Verdmoor::Scene scene, const std::string& name)
    {
        DemoRun run(scene, kWidth, kHeight);
        ASSERT_TRUE(run.Ok());
        Verdmoor& demo = run.Demo();
        const int loop = int(demo.GetAnimatedMesh()->GetController()->GetKeyframeCount());
        for (int moment = 0; moment < kMoments; ++moment) {
            // Half a step first: every moment then lies halfway between two
            // key frames' times, which the rounding of the times in the scene
            // files cannot tip to the next key frame.
            if (moment == 0)
                demo.Update(kStep / 2.0f);
            for (int i = 0; moment > 0 && i < loop / kMoments; ++i)
                demo.Update(kStep);
            Draw(demo);
            const std::string file = name + "_" + std::to_string(moment) + ".png";
            SCOPED_TRACE(file);
            Compare(RepoPath("tests/data/frames/" + file), file);
        }
    }

private:
    static bool Writing() { return std::getenv("VORM_WRITE_REFERENCE_FRAMES") != nullptr; }

    // The frame but for the grass.
    static void Draw(Verdmoor& demo)
    {
        for (const Verdmoor::Pass& pass : demo.GetPasses()) {
            if (!pass.Is("grass"))
                demo.Draw(pass);
        }
        glFinish();
    }

    // Every second pixel of every second row of the frame, top row first.
    static std::vector<std::uint8_t> Sampled()
    {
        std::vector<std::uint8_t> frame(size_t(kWidth) * kHeight * 3);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadBuffer(GL_BACK);
        glReadPixels(0, 0, kWidth, kHeight, GL_RGB, GL_UNSIGNED_BYTE, frame.data());
        std::vector<std::uint8_t> sampled;
        sampled.reserve(frame.size() / 4);
        for (int y = kHeight - 2; y >= 0; y -= 2) {
            for (int x = 0; x < kWidth; x += 2)
                sampled.insert(sampled.end(), &frame[(size_t(y) * kWidth + x) * 3], &frame[(size_t(y) * kWidth + x) * 3 + 3]);
        }
        return sampled;
    }

    void Compare(const std::string& reference, const std::string& file)
    {
        const std::vector<std::uint8_t> frame = Sampled();
        // Beside the test program, to look at when a comparison fails.
        std::error_code ec;
        const std::string drawn =
            (std::filesystem::read_symlink("/proc/self/exe", ec).parent_path() / file).string();
        TestImages::WritePng(drawn, kWidth / 2, kHeight / 2, 2, 8, frame);
        if (Writing()) {
            ASSERT_TRUE(TestImages::WritePng(reference, kWidth / 2, kHeight / 2, 2, 8, frame)) << reference;
            return;
        }
        int width = 0, height = 0;
        std::vector<std::uint8_t> expected;
        ASSERT_TRUE(TestImages::ReadPngRgb(reference, width, height, expected)) << reference;
        ASSERT_EQ(kWidth / 2, width);
        ASSERT_EQ(kHeight / 2, height);
        int differing = 0;
        int worst = 0;
        for (size_t p = 0; p < frame.size(); p += 3) {
            int most = 0;
            for (size_t c = 0; c < 3; ++c)
                most = std::max(most, std::abs(int(frame[p + c]) - int(expected[p + c])));
            differing += most > 2 ? 1 : 0;
            worst = std::max(worst, most);
        }
        const int pixels = int(frame.size() / 3);
        EXPECT_LE(differing, pixels / 200) << differing << " of " << pixels << " pixels differ by more than 2 levels "
                                           << "(at most " << worst << "); the frame drawn is " << drawn;
    }
};

TEST_F(ReferenceFramesTest, WorldFramesMatchTheirReferences) { Check(Verdmoor::eScene_World, "world"); }

TEST_F(ReferenceFramesTest, Nature1FramesMatchTheirReferences) { Check(Verdmoor::eScene_Nature1, "nature1"); }

} // namespace
