#include "Core/Memory/MemTracker.h"
#include "Core/Timer/Clock.h"
#include "Core/Timer/ITimeSource.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Returns a fixed list of readings, one per call.
class ScriptedTimeSource : public Vorm::ITimeSource
{
public:
    explicit ScriptedTimeSource(std::vector<double> times) : m_times(std::move(times)) {}
    double GetTime() override { return m_times.at(m_next++); }

private:
    std::vector<double> m_times;
    size_t m_next = 0;
};

Vorm::ITimeSource* Script(std::vector<double> times)
{
    return VORM_NEW ScriptedTimeSource(std::move(times));
}

// Readings starting at `start`, then `count` steps of `step` seconds.
std::vector<double> Steps(double start, double step, int count)
{
    std::vector<double> times;
    for (int i = 0; i <= count; ++i)
        times.push_back(start + i * step);
    return times;
}

TEST(Clock, SmoothsOverTheLastFiveSamples)
{
    Vorm::Clock clock(Script(Steps(5.0, 0.010, 7)), true, 5);
    // The first reading measures from 0, is rejected and replaced by the seed.
    const double expected[] = {0.016, 0.014, 0.013, 0.0124, 0.0112, 0.010, 0.010};
    double sum = 0.0;
    for (double delta : expected)
    {
        clock.Update();
        sum += delta;
        EXPECT_NEAR(delta, clock.GetDelta(), 1e-12);
        EXPECT_NEAR(sum, clock.GetAccumulated(), 1e-12);
    }
    clock.ResetAccumulator();
    EXPECT_EQ(0.0, clock.GetAccumulated());
    clock.Update();
    EXPECT_NEAR(0.010, clock.GetAccumulated(), 1e-12);
}

TEST(Clock, AcceptsExactlyMaxDeltaAndReplacesLongerSteps)
{
    for (const double reading : {0.2, 0.2000001})
    {
        Vorm::Clock clock(Script({reading}), false, 5);
        clock.Update();
        EXPECT_EQ(reading == 0.2 ? 0.2 : 0.016, clock.GetDelta());
    }
    // With smoothing a stall repeats the newest sample, not the seed.
    Vorm::Clock clock(Script({1.0, 1.01, 1.02, 1.03, 1.5}), true, 5);
    for (int i = 0; i < 5; ++i)
        clock.Update();
    EXPECT_NEAR((0.016 + 0.010 * 4) / 5, clock.GetDelta(), 1e-12);
}

TEST(Clock, ZeroMaxSamplesKeepsOneSample)
{
    Vorm::Clock clock(Script({1.0, 1.01, 1.05, 1.06}), true, 0);
    clock.Update();
    EXPECT_EQ(0.016, clock.GetDelta());
    clock.Update();
    EXPECT_NEAR(0.010, clock.GetDelta(), 1e-12);
    clock.Update();
    EXPECT_NEAR(0.040, clock.GetDelta(), 1e-12);
    clock.Update();
    EXPECT_NEAR(0.010, clock.GetDelta(), 1e-12);
}

TEST(Clock, SwitchingSmoothingOffRestartsFromTheSeed)
{
    Vorm::Clock clock(Script(Steps(1.0, 0.010, 8)), true, 5);
    for (int i = 0; i < 6; ++i)
        clock.Update();
    ASSERT_NEAR(0.010, clock.GetDelta(), 1e-12);

    // Switching on again (and on while on) keeps the queue.
    clock.SetSmoothing(true);
    clock.Update();
    EXPECT_NEAR(0.010, clock.GetDelta(), 1e-12);

    clock.SetSmoothing(false);
    clock.SetSmoothing(true);
    clock.Update();
    EXPECT_NEAR((0.016 + 0.010) / 2, clock.GetDelta(), 1e-12);
}

} // namespace
