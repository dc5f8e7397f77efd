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

TEST(Clock, DeltasAreMeansOfStepsWithStallsReplaced)
{
    // Smoothing on. The first reading measures from 0: a stall, replaced by the 0.016 s seed.
    struct Run
    {
        std::uint8_t maxSamples;
        std::vector<double> readings, deltas;
    };
    const Run runs[] = {
        // The mean of the last five samples.
        {5, {5.0, 5.01, 5.02, 5.03, 5.04, 5.05, 5.06, 5.07}, {0.016, 0.014, 0.013, 0.0124, 0.0112, 0.010, 0.010}},
        // A stall repeats the newest sample, not the seed.
        {5, {1.0, 1.01, 1.02, 1.03, 1.5}, {0.016, 0.014, 0.013, 0.0124, 0.0112}},
        // Zero samples keep one.
        {0, {1.0, 1.01, 1.05, 1.06}, {0.016, 0.010, 0.040, 0.010}},
    };
    for (const Run& run : runs)
    {
        SCOPED_TRACE(run.readings.back());
        Vorm::Clock clock(Script(run.readings), true, run.maxSamples);
        double sum = 0.0;
        for (double delta : run.deltas)
        {
            clock.Update();
            sum += delta;
            EXPECT_NEAR(delta, clock.GetDelta(), 1e-12);
            EXPECT_NEAR(sum, clock.GetAccumulated(), 1e-12);
        }
    }
    // Exactly maxDelta is a step, anything longer a stall.
    for (const double reading : {0.2, 0.2000001})
    {
        Vorm::Clock clock(Script({reading}), false, 5);
        clock.Update();
        EXPECT_EQ(reading == 0.2 ? 0.2 : 0.016, clock.GetDelta());
    }
}

TEST(Clock, SwitchingSmoothingOffRestartsFromTheSeed)
{
    Vorm::Clock clock(Script({1.0, 1.01, 1.02, 1.03, 1.04, 1.05, 1.06, 1.07, 1.08}), true, 5);
    for (int i = 0; i < 6; ++i)
        clock.Update();
    ASSERT_NEAR(0.010, clock.GetDelta(), 1e-12);

    // Switching on again (and on while on) keeps the queue.
    clock.SetSmoothing(true);
    clock.ResetAccumulator();
    EXPECT_EQ(0.0, clock.GetAccumulated());
    clock.Update();
    EXPECT_NEAR(0.010, clock.GetDelta(), 1e-12);
    EXPECT_NEAR(0.010, clock.GetAccumulated(), 1e-12);

    clock.SetSmoothing(false);
    clock.SetSmoothing(true);
    clock.Update();
    EXPECT_NEAR((0.016 + 0.010) / 2, clock.GetDelta(), 1e-12);
}

} // namespace
