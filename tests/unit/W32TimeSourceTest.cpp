#include "WINGLApp/W32TimeSource.h"
#include "Platform/Win32Timer.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// Repeated readings of one source are covered by the application frame's tests.
TEST(W32TimeSourceTest, ScalesTheCounterOrTheMillisecondTimer)
{
    const Win32::TimerOverride fakes[] = {
        {true, true, 4000000, 10000000, 0},
        {false, false, 1000000, 0, 1234},
        {false, false, 1000000, 0, 0xFFFFFFFFu}, // the 32-bit timer value widens without sign
        {true, false, 10000000, 0, 2500},        // the millisecond fallback ignores a known frequency
        {true, true, 0, 4200, 0},                // no ticks per second must not give infinity
    };
    const double expected[] = {2.5, 1.234, 4294967.295, 2.5, 4.2};
    for (int i = 0; i < 5; ++i)
    {
        SCOPED_TRACE(i);
        Win32::SetTimerOverride(&fakes[i]);
        EXPECT_DOUBLE_EQ(expected[i], Vorm::W32TimeSource().GetTime());
    }
    Win32::SetTimerOverride(nullptr);
}

TEST(W32TimeSourceTest, ReadsTheMonotonicClock)
{
    Win32::LARGE_INTEGER frequency = {0};
    ASSERT_TRUE(Win32::QueryPerformanceFrequency(&frequency));
    EXPECT_EQ(1000000000, frequency.QuadPart);

    Vorm::W32TimeSource source;
    const double first = source.GetTime();
    const double second = source.GetTime();
    EXPECT_GT(first, 0.0);
    EXPECT_GE(second, first);
    // Both timers count from the same origin, the millisecond one wrapping.
    const double ms = Win32::timeGetTime() * 0.001;
    EXPECT_NEAR(std::fmod(second, 4294967.296), ms, 1.0);
}

} // namespace
