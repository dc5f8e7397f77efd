#include "Core/Scenegraph/Geometry.h"
#include "Core/Scenegraph/TransformController.h"

#include <gtest/gtest.h>

#include <vector>

using Vorm::Keyframe;
using Vorm::Transform;
using Vorm::TransformController;

namespace {

// Key frame i sits at x = i + 1, so a pose names its key frame.
std::vector<Keyframe> Frames(std::vector<double> times)
{
    std::vector<Keyframe> frames;
    for (size_t i = 0; i < times.size(); ++i)
    {
        Transform t;
        t.SetTranslation(static_cast<float>(i + 1), 0.0f, 0.0f);
        frames.push_back(Keyframe(times[i], t));
    }
    return frames;
}

int Current(const TransformController& c)
{
    return static_cast<int>(c.GetTransform().GetTranslation().x) - 1;
}

void ExpectSteps(TransformController& c, std::vector<double> steps, std::vector<int> expected)
{
    for (size_t i = 0; i < steps.size(); ++i)
    {
        c.Update(steps[i]);
        EXPECT_EQ(Current(c), expected[i]) << "step " << i;
    }
}

} // namespace

TEST(TransformControllerTest, StepsOneKeyFrameAtATimeAndWraps)
{
    TransformController c;
    c.SetKeyframes(Frames({1.0, 2.0, 3.0}));
    c.Reset();
    ExpectSteps(c, {0.5, 0.5, 1.0, 1.0, 0.5}, {0, 1, 2, 0, 0}); // the wrap dropped the elapsed time

    // However large the step, one key frame at a time.
    c.Reset();
    ExpectSteps(c, {10.0, 0.0, 0.0, 0.0}, {1, 2, 0, 0});
}

TEST(TransformControllerTest, LoadedListsStartAtTheFirstTimeAndShorterOrEmptyListsAreSafe)
{
    TransformController c;
    c.SetKeyframes(Frames({1.0, 2.0, 3.0}));
    c.Update(0.0);
    EXPECT_EQ(Current(c), 1);

    TransformController single;
    single.SetKeyframes(Frames({0.5}));
    ExpectSteps(single, {0.5, 0.5, 0.5}, {0, 0, 0});

    c.Reset();
    ExpectSteps(c, {1.0, 1.0}, {1, 2});
    // The old index lies past the new list: start over at key frame 0.
    c.SetKeyframes(Frames({5.0}));
    EXPECT_EQ(Current(c), 0);
    c.Update(0.0);
    EXPECT_EQ(Current(c), 0);

    c.SetKeyframes(std::vector<Keyframe>());
    c.Update(1.0);
    EXPECT_TRUE(c.GetTransform().IsIdentity());

    // A spatial with an empty controller keeps its own placement.
    Vorm::Geometry leaf;
    leaf.Local().SetTranslation(4, 5, 6);
    leaf.SetController(boost::shared_ptr<TransformController>(new TransformController()));
    leaf.Update(1.0f, true);
    EXPECT_FLOAT_EQ(leaf.World().GetTranslation().x, 4.0f);
}
