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

TEST(TransformControllerTest, PassesEveryKeyFrameWhoseTimeHasComeAndWrapsKeepingTheRest)
{
    TransformController c;
    c.SetKeyframes(Frames({1.0, 2.0, 3.0}));
    c.Reset();
    ExpectSteps(c, {0.5, 0.5, 1.0, 1.0, 0.5}, {0, 1, 2, 0, 0});

    // A long update passes all it spans, the wrap included: 10 s is three
    // whole cycles and 1 s more.
    c.Reset();
    ExpectSteps(c, {10.0, 0.0, 0.5, 0.5}, {1, 1, 1, 2});
    // The time past the end goes on into the next cycle: 2.5 s in, then 1 s
    // crosses the end by half a second, short of key frame 0's time.
    c.Reset();
    ExpectSteps(c, {2.5, 1.0, 0.5}, {2, 0, 1});
}

// A flight of key frames 0.07 s apart driven at 20, 30 and 60 updates a
// second, and in one update: at each moment (the last one loop on) all stand
// on the same key frame, and updates of no time leave it there.
TEST(TransformControllerTest, KeepsTimeAtAnyUpdateRateAndStaysWhilePaused)
{
    std::vector<double> times;
    for (int i = 1; i <= 60; ++i)
        times.push_back(i * 0.07);
    std::vector<int> reached;
    for (double moment : {0.5, 2.2, 0.5 + 60 * 0.07}) {
        TransformController once;
        once.SetKeyframes(Frames(times));
        once.Update(moment);
        const int expected = Current(once);
        for (int rate : {20, 30, 60}) {
            SCOPED_TRACE(std::to_string(rate) + " updates a second to " + std::to_string(moment) + " s");
            TransformController c;
            c.SetKeyframes(Frames(times));
            for (int i = 0; i < static_cast<int>(moment * rate + 0.5); ++i)
                c.Update(1.0 / rate);
            EXPECT_EQ(expected, Current(c));
            for (int i = 0; i < 100; ++i)
                c.Update(0.0);
            EXPECT_EQ(expected, Current(c));
        }
        reached.push_back(expected);
    }
    EXPECT_NE(reached[0], reached[1]);
    EXPECT_EQ(reached[0], reached[2]);
}

TEST(TransformControllerTest, LoadedListsStartAtTheFirstTimeAndShorterOrEmptyListsAreSafe)
{
    // A loaded list starts with key frame 0's time elapsed: any time at all
    // moves it on, no time does not.
    TransformController c;
    c.SetKeyframes(Frames({1.0, 2.0, 3.0}));
    c.Update(0.0);
    EXPECT_EQ(Current(c), 0);
    c.Update(0.001);
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
