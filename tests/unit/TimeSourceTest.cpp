#include "App/WINGLApp/W32TimeSource.h"
#include "Platform/Win32Timer.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

class TimeSourceTest : public ::testing::Test
{
protected:
    void SetUp() override { Win32::SetTimerOverride(&m_fake); }
    void TearDown() override { Win32::SetTimerOverride(nullptr); }

    Win32::TimerOverride m_fake = {true, true, 1000000, 0, 0};
};

TEST_F(TimeSourceTest, ScalesTheCounterByItsFrequency)
{
    m_fake.frequency = 4000000;
    Vorm::W32TimeSource source;
    m_fake.count = 10000000;
    EXPECT_DOUBLE_EQ(2.5, source.GetTime());
    m_fake.count += 40000;
    EXPECT_DOUBLE_EQ(2.51, source.GetTime());
}

TEST_F(TimeSourceTest, WithoutCounterUsesWholeMilliseconds)
{
    m_fake.frequencyWorks = false;
    m_fake.counterWorks = false;
    m_fake.milliseconds = 1234;
    Vorm::W32TimeSource source;
    EXPECT_DOUBLE_EQ(1.234, source.GetTime());
    m_fake.milliseconds = 1235;
    EXPECT_DOUBLE_EQ(1.235, source.GetTime());

    // The 32-bit timer value widens without sign.
    m_fake.milliseconds = 0xFFFFFFFFu;
    EXPECT_DOUBLE_EQ(4294967.295, source.GetTime());
}

TEST_F(TimeSourceTest, FallbacksKeepTheMillisecondScale)
{
    // The millisecond fallback ignores a known frequency.
    m_fake.frequency = 10000000;
    m_fake.counterWorks = false;
    m_fake.milliseconds = 2500;
    EXPECT_DOUBLE_EQ(2.5, Vorm::W32TimeSource().GetTime());

    // A counter that claims success with no ticks per second must not
    // turn every reading into infinity.
    m_fake.frequency = 0;
    m_fake.counterWorks = true;
    m_fake.count = 4200;
    EXPECT_DOUBLE_EQ(4.2, Vorm::W32TimeSource().GetTime());
}

TEST(TimeSourceRealClock, ReadsTheMonotonicClock)
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
