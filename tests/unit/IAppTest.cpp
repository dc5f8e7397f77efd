#include "WINGLApp/IApp.h"
#include "WINGLApp/IExec.h"
#include "Platform/Win32Timer.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

// Records "U" per update (and its dt) and "R" per render.
struct RecordingExec : Vorm::IExec
{
    bool PreInit() override { return true; }
    void Init() override {}
    void Update(float dt) override
    {
        calls += 'U';
        dts.push_back(dt);
    }
    void Render() override { calls += 'R'; }
    void Resize(int, int) override {}
    void Shutdown() override {}

    std::string calls;
    std::vector<float> dts;
};

class TestApp : public Vorm::IApp
{
public:
    bool Create() override { return true; }
    int Run(Vorm::IExec*) override { return 0; }
    boost::shared_ptr<Vorm::IWindow> GetWindow() override { return {}; }

    using IApp::m_dFrameTime;
    using IApp::m_dOvershoot;
    using IApp::m_dTimeToNextFrame;
    using IApp::m_szFpsText;
};

// Drives the application's clock through a fake performance counter.
class IAppTest : public ::testing::Test
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
        m_exec = RecordingExec();
    }

    Win32::TimerOverride m_fake = {true, true, 1, 0, 0};
    RecordingExec m_exec;
    std::unique_ptr<TestApp> m_app;
};

TEST_F(IAppTest, StartsUnlimitedAndRegistersAsSingleton)
{
    TestApp& app = MakeApp(1000000);
    EXPECT_EQ(&app, TSingleton<Vorm::IApp>::Instance());
    EXPECT_STREQ("", app.m_szFpsText);

    // Without a limit every tick updates with the loop delta and renders;
    // the first tick measures the whole counter and gets the seed instead.
    Tick(5000);
    ASSERT_EQ("UR", m_exec.calls);
    EXPECT_FLOAT_EQ(0.016f, m_exec.dts[0]);

    // A limit below one switches it off again.
    app.SetFrameLimit(1, false);
    Tick(5000);
    EXPECT_EQ("UR", m_exec.calls);
    app.SetFrameLimit(0, false);
    Tick(5000);
    EXPECT_EQ("URUR", m_exec.calls);
}

TEST_F(IAppTest, PacesFramesAndCarriesTheOvershoot)
{
    TestApp& app = MakeApp(1000000);
    Settle(12500);  // 0.0125 s per tick
    app.SetFrameLimit(50, false);
    Tick(12500);
    EXPECT_EQ("", m_exec.calls);
    Tick(12500);
    ASSERT_EQ("UR", m_exec.calls);
    EXPECT_NEAR(0.025f, m_exec.dts[0], 1e-6);
    EXPECT_NEAR(0.005, app.m_dOvershoot, 1e-9);
    EXPECT_NEAR(0.015, app.m_dTimeToNextFrame, 1e-9);
    EXPECT_NEAR(0.025, app.m_dFrameTime, 1e-9);
    Tick(12500); // the frame restarted the count: 0.0125 s is not yet due
    EXPECT_EQ("UR", m_exec.calls);

    // A frame late by more than an interval makes the next tick due at once;
    // nothing is skipped or repeated to catch up.
    app.SetFrameLimit(200, false);
    Tick(12500);
    Tick(12500);
    ASSERT_EQ("URURUR", m_exec.calls);
    EXPECT_NEAR(0.0125f, m_exec.dts[2], 1e-6);
    EXPECT_LT(app.m_dTimeToNextFrame, 0.0);
}

TEST_F(IAppTest, RendersWhenTheDueTimeIsReachedExactly)
{
    TestApp& app = MakeApp(1 << 20);
    Settle(1 << 13);  // 2^-7 s per tick
    app.SetFrameLimit(64, false);  // 2^-6 s per frame
    Tick(1 << 13);
    EXPECT_EQ("", m_exec.calls);
    Tick(1 << 13);
    ASSERT_EQ("UR", m_exec.calls);
    EXPECT_EQ(1.0f / 64, m_exec.dts[0]);
    EXPECT_EQ(0.0, app.m_dOvershoot);
}

TEST_F(IAppTest, UpdatesWhileWaitingAndCountsThatTimeAgain)
{
    TestApp& app = MakeApp(1000000);
    Settle(12500);
    app.SetFrameLimit(50, true);
    Tick(12500);
    Tick(12500);
    ASSERT_EQ("UUR", m_exec.calls);
    EXPECT_NEAR(0.0125f, m_exec.dts[0], 1e-6);
    EXPECT_NEAR(0.025f, m_exec.dts[1], 1e-6);
}

TEST_F(IAppTest, FormatsTheRateTextOnlyAfterMoreThanOneSecond)
{
    TestApp& app = MakeApp(1 << 20);
    Settle(1 << 13);  // 128 ticks per second exactly
    app.SetShowFps(true);
    for (int i = 0; i < 128; ++i)
        Tick(1 << 13);
    EXPECT_STREQ("", app.m_szFpsText);
    Tick(1 << 13);
    // Unlimited: the frame time is the loop delta, so both rates agree.
    EXPECT_STREQ("Idle: 000128.00 @ Fps: 128.00", app.m_szFpsText);
    app.SetShowFps(false);
    EXPECT_STREQ("", app.m_szFpsText);

    // Rates too high for the 32 bytes are cut to fit.
    Settle(1);  // about a million ticks per second
    app.SetShowFps(true);
    for (int i = 0; i <= (1 << 20); ++i)
    {
        Tick(1);
        m_exec = RecordingExec();
    }
    EXPECT_STREQ("Idle: 1048576.00 @ Fps: 1048576", app.m_szFpsText);
}

} // namespace
