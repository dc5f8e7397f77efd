#include "App/WINGLApp/IApp.h"
#include "App/WINGLApp/IExec.h"
#include "Platform/Win32Timer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

struct Call
{
    char kind;  // 'U' update, 'R' render
    float dt;
};

class RecordingExec : public Vorm::IExec
{
public:
    bool PreInit() override { return true; }
    void Init() override {}
    void Update(float dt) override { Record('U', dt); }
    void Render() override { Record('R', 0.0f); }
    void Record(char kind, float dt)
    {
        if (recording)
            calls.push_back({kind, dt});
    }
    void Resize(int, int) override {}
    void Shutdown() override {}

    std::vector<Call> calls;
    bool recording = true;
};

class TestApp : public Vorm::IApp
{
public:
    bool Create() override { return true; }
    int Run(Vorm::IExec*) override { return 0; }
    boost::shared_ptr<Vorm::IWindow> GetWindow() override { return {}; }

    const Vorm::Clock& Clock() const { return m_clock; }
    bool FrameLimitOn() const { return m_bFrameLimitOn; }
    bool UpdateWhileWaiting() const { return m_bUpdateWhileWaiting; }
    double Overshoot() const { return m_dOvershoot; }
    double TimeToNextFrame() const { return m_dTimeToNextFrame; }
    double FrameInterval() const { return m_dFrameInterval; }
    double FrameTime() const { return m_dFrameTime; }
    double LoopDelta() const { return m_dLoopDelta; }
    const char* FpsText() const { return m_szFpsText; }
};

// Drives the application's clock through a fake performance counter.
class AppFrameTest : public ::testing::Test
{
protected:
    void SetUp() override { Win32::SetTimerOverride(&m_fake); }
    void TearDown() override
    {
        m_app.reset();
        Win32::SetTimerOverride(nullptr);
    }

    // The counter starts 10 s in, so the first tick measures a stall.
    TestApp& MakeApp(Win32::LONGLONG frequency)
    {
        m_fake.frequency = frequency;
        m_fake.count = 10 * frequency;
        m_app.reset(new TestApp);
        return *m_app;
    }

    void Tick(Win32::LONGLONG ticks)
    {
        m_fake.count += ticks;
        m_app->Tick(&m_exec);
    }

    // Fills the clock's five samples with one step, so its delta is that step.
    void Settle(Win32::LONGLONG ticks)
    {
        for (int i = 0; i < 6; ++i)
            Tick(ticks);
        m_exec.calls.clear();
    }

    Win32::TimerOverride m_fake = {true, true, 1, 0, 0};
    RecordingExec m_exec;
    std::unique_ptr<TestApp> m_app;
};

TEST_F(AppFrameTest, StartsUnlimitedAndRegistersAsSingleton)
{
    TestApp& app = MakeApp(1000000);
    EXPECT_EQ(&app, TSingleton<Vorm::IApp>::Instance());
    EXPECT_FALSE(app.FrameLimitOn());
    EXPECT_TRUE(app.UpdateWhileWaiting());
    EXPECT_STREQ("", app.FpsText());

    // Without a limit every tick updates with the loop delta and renders;
    // the first tick measures the whole counter and gets the seed instead.
    Tick(5000);
    ASSERT_EQ(2u, m_exec.calls.size());
    EXPECT_EQ('U', m_exec.calls[0].kind);
    EXPECT_FLOAT_EQ(0.016f, m_exec.calls[0].dt);
    EXPECT_EQ('R', m_exec.calls[1].kind);
    EXPECT_EQ(app.LoopDelta(), app.FrameTime());
}

TEST_F(AppFrameTest, FrameLimitBelowOneSwitchesOffAndAlwaysUpdates)
{
    TestApp& app = MakeApp(1000000);
    app.SetFrameLimit(50, false);
    EXPECT_TRUE(app.FrameLimitOn());
    EXPECT_FALSE(app.UpdateWhileWaiting());
    app.SetFrameLimit(0, false);
    EXPECT_FALSE(app.FrameLimitOn());
    EXPECT_TRUE(app.UpdateWhileWaiting());
    EXPECT_DOUBLE_EQ(0.02, app.FrameInterval());
}

TEST_F(AppFrameTest, PacesFramesAndCarriesTheOvershoot)
{
    TestApp& app = MakeApp(1000000);
    Settle(12500);  // 0.0125 s per tick
    app.SetFrameLimit(50, false);
    EXPECT_EQ(0.0, app.Clock().GetAccumulated());

    Tick(12500);
    EXPECT_TRUE(m_exec.calls.empty());

    Tick(12500);
    ASSERT_EQ(2u, m_exec.calls.size());
    EXPECT_NEAR(0.025f, m_exec.calls[0].dt, 1e-6);
    EXPECT_EQ('R', m_exec.calls[1].kind);
    EXPECT_NEAR(0.005, app.Overshoot(), 1e-9);
    EXPECT_NEAR(0.015, app.TimeToNextFrame(), 1e-9);
    EXPECT_NEAR(0.025, app.FrameTime(), 1e-9);
    EXPECT_EQ(0.0, app.Clock().GetAccumulated());

    // A frame late by more than an interval makes the next tick due at once;
    // nothing is skipped or repeated to catch up.
    m_exec.calls.clear();
    app.SetFrameLimit(200, false);
    Tick(12500);
    Tick(12500);
    ASSERT_EQ(4u, m_exec.calls.size());
    EXPECT_NEAR(0.0125f, m_exec.calls[2].dt, 1e-6);
    EXPECT_LT(app.TimeToNextFrame(), 0.0);
}

TEST_F(AppFrameTest, RendersWhenTheDueTimeIsReachedExactly)
{
    TestApp& app = MakeApp(1 << 20);
    Settle(1 << 13);  // 2^-7 s per tick
    app.SetFrameLimit(64, false);  // 2^-6 s per frame
    Tick(1 << 13);
    EXPECT_TRUE(m_exec.calls.empty());
    Tick(1 << 13);
    ASSERT_EQ(2u, m_exec.calls.size());
    EXPECT_EQ(1.0f / 64, m_exec.calls[0].dt);
    EXPECT_EQ(0.0, app.Overshoot());
}

TEST_F(AppFrameTest, UpdatesWhileWaitingAndCountsThatTimeAgain)
{
    TestApp& app = MakeApp(1000000);
    Settle(12500);
    app.SetFrameLimit(50, true);
    Tick(12500);
    Tick(12500);
    ASSERT_EQ(3u, m_exec.calls.size());
    EXPECT_EQ('U', m_exec.calls[0].kind);
    EXPECT_NEAR(0.0125f, m_exec.calls[0].dt, 1e-6);
    EXPECT_EQ('U', m_exec.calls[1].kind);
    EXPECT_NEAR(0.025f, m_exec.calls[1].dt, 1e-6);
    EXPECT_EQ('R', m_exec.calls[2].kind);
}

TEST_F(AppFrameTest, FormatsTheRateTextOnlyAfterMoreThanOneSecond)
{
    TestApp& app = MakeApp(1 << 20);
    Settle(1 << 13);  // 128 ticks per second exactly
    app.SetShowFps(true);
    for (int i = 0; i < 128; ++i)
        Tick(1 << 13);
    EXPECT_STREQ("", app.FpsText());
    Tick(1 << 13);
    // Unlimited: the frame time is the loop delta, so both rates agree.
    EXPECT_STREQ("Idle: 000128.00 @ Fps: 128.00", app.FpsText());

    app.SetShowFps(false);
    EXPECT_STREQ("", app.FpsText());
}

TEST_F(AppFrameTest, RateTextStaysWithinItsBuffer)
{
    TestApp& app = MakeApp(1 << 20);
    m_exec.recording = false;
    Settle(1);  // about a million ticks per second
    app.SetShowFps(true);
    for (int i = 0; i <= (1 << 20); ++i)
        Tick(1);
    EXPECT_EQ(31u, std::strlen(app.FpsText()));
    EXPECT_STREQ("Idle: 1048576.00 @ Fps: 1048576", app.FpsText());
}

} // namespace
