#include "WINGLApp/WINGLApp.h"

#include "Core/Input/InputMngr.h"
#include "Core/Input/Keyboard.h"
#include "Core/Rendering/IRenderer.h"
#include "Core/Util/QuitRequest.h"
#include "Platform/Win32GL.h"
#include "WINGLApp/IExec.h"
#include "WINGLApp/WINGLAppWindow.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// Output of a shell command, trimmed of its line end.
std::string Shell(const std::string& command)
{
    std::string out;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[256];
        while (std::fgets(buffer, sizeof(buffer), pipe))
            out += buffer;
        pclose(pipe);
    }
    while (!out.empty() && (out.back() == '\n' || out.back() == ' '))
        out.pop_back();
    return out;
}

// "x,y wxh" of the application's X window.
std::string XGeometry()
{
    return Shell("xdotool search --name '^VormWindow$' getwindowgeometry --shell 2>/dev/null | "
                 "tr '\\n' ' ' | sed -E 's/.*X=([0-9-]+) Y=([0-9-]+) WIDTH=([0-9]+) HEIGHT=([0-9]+).*/\\1,\\2 \\3x\\4/'");
}

// Logic that runs a script of steps from its updates: each step acts once,
// then waits (ticking on) until its condition holds. It records what the
// frame calls, and quits when the script ends or a step times out.
class ScriptExec : public Vorm::IExec
{
public:
    struct Step
    {
        std::string name;
        std::function<void()> action;
        std::function<bool()> done;
    };

    bool PreInit() override { return true; }
    void Init() override
    {
        calls.push_back("Init");
        initWithContext = Win32::wglGetCurrentContext() != nullptr;
        if (init)
            init();
    }
    void Update(float) override
    {
        ++updates;
        if (next >= steps.size())
            return;
        Step& step = steps[next];
        if (!acted) {
            acted = true;
            started = Clock::now();
            if (step.action)
                step.action();
        }
        if (!step.done || step.done()) {
            ++next;
            acted = false;
        } else if (Clock::now() - started > std::chrono::seconds(5)) {
            timedOut = step.name;
            next = steps.size();
            Win32::PostQuitMessage(7);
        }
    }
    void Render() override { ++renders; }
    void Resize(int width, int height) override
    {
        calls.push_back("Resize " + std::to_string(width) + "x" + std::to_string(height));
        if (updates == 0 && calls.size() == 2)
            firstResizeBeforeUpdate = true;
    }
    void Shutdown() override
    {
        calls.push_back("Shutdown");
        shutdownWithContext = Win32::wglGetCurrentContext() != nullptr;
    }

    // Runs inside Init, where the logic loads before the loop.
    std::function<void()> init;
    std::vector<Step> steps;
    std::size_t next = 0;
    bool acted = false;
    Clock::time_point started;
    std::string timedOut;
    std::vector<std::string> calls;
    int updates = 0;
    int renders = 0;
    bool initWithContext = false;
    bool shutdownWithContext = false;
    bool firstResizeBeforeUpdate = false;
};

class WINGLAppTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_windows = Win32::CountLiveWindows();
        m_contexts = Win32::CountLiveContexts();
        ASSERT_FALSE(Shell("command -v xdotool").empty()) << "xdotool is needed";
    }

    Vorm::WINGLAppWindow& Window(Vorm::WINGLApp& app)
    {
        return *boost::static_pointer_cast<Vorm::WINGLAppWindow>(app.GetWindow());
    }

    int m_windows = 0;
    int m_contexts = 0;
};

TEST_F(WINGLAppTest, CreatesFullScreenRunsAndClosesWithNothingLeft)
{
    ScriptExec exec;
    int result = -1;
    {
        Vorm::WINGLApp app(nullptr, L"", 0, true);
        ASSERT_TRUE(app.Create());
        Vorm::WINGLAppWindow& window = Window(app);
        EXPECT_TRUE(window.IsFullscreen());
        EXPECT_EQ(1024, window.GetWidth());
        EXPECT_EQ(768, window.GetHeight());
        EXPECT_EQ("0,0 1024x768", XGeometry());
        EXPECT_NE(nullptr, TSingleton<Vorm::IRenderer>::Instance());
        EXPECT_NE(nullptr, TSingleton<Vorm::InputMngr>::Instance()->GetKeyboard());
        EXPECT_EQ(nullptr, Win32::wglGetCurrentContext());

        exec.steps = {
            {"tick", nullptr, [&] { return exec.updates >= 3; }},
            {"leave full screen", [&] { window.LeaveFullscreen(); }, nullptr},
            {"resize", [&] { window.SetPosition(40, 30, 640, 480); },
             [&] { return XGeometry() == "40,30 640x480"; }},
            {"terminate", [] { std::raise(SIGTERM); }, nullptr},
        };
        result = app.Run(&exec);
        EXPECT_EQ("", exec.timedOut);
        EXPECT_FALSE(window.IsFullscreen());
        // Closed: the system window is gone, its surface waits for the context.
        EXPECT_FALSE(Win32::IsWindow(window.GetHandle()));
    }
    EXPECT_EQ(0, result);
    EXPECT_TRUE(exec.initWithContext);
    EXPECT_TRUE(exec.shutdownWithContext);
    EXPECT_TRUE(exec.firstResizeBeforeUpdate);
    EXPECT_GE(exec.renders, 3);
    // Creation's own size messages (window, full screen) never reach the
    // logic; leaving full screen places the window twice.
    const std::vector<std::string> expected = {"Init", "Resize 1024x768", "Resize 1024x768", "Resize 1024x768",
                                               "Resize 640x480", "Shutdown"};
    EXPECT_EQ(expected, exec.calls);
    EXPECT_EQ(m_windows, Win32::CountLiveWindows());
    EXPECT_EQ(m_contexts, Win32::CountLiveContexts());
}

TEST_F(WINGLAppTest, AQuitDuringInitIsSeenThereAndStillEndsTheLoop)
{
    ScriptExec exec;
    bool pendingBefore = true;
    bool pendingAfter = false;
    exec.init = [&] {
        pendingBefore = Vorm::QuitRequest::IsPending();
        std::raise(SIGTERM);
        const Clock::time_point start = Clock::now();
        while (!pendingAfter && Clock::now() - start < std::chrono::seconds(2))
            pendingAfter = Vorm::QuitRequest::IsPending();
    };
    int result = -1;
    {
        Vorm::WINGLApp app(nullptr, L"", 0, false);
        ASSERT_TRUE(app.Create());
        result = app.Run(&exec);
    }
    EXPECT_FALSE(pendingBefore);
    EXPECT_TRUE(pendingAfter);
    // Asking took nothing from the queue: the loop closed the window first thing.
    EXPECT_EQ(0, result);
    EXPECT_EQ(0, exec.updates);
    EXPECT_FALSE(Vorm::QuitRequest::IsPending()) << "the application takes its question with it";
}

TEST_F(WINGLAppTest, LeavingFullScreenRestoresThePlacement)
{
    Vorm::WINGLApp app(nullptr, L"", 0, false);
    ASSERT_TRUE(app.Create());
    Vorm::WINGLAppWindow& window = Window(app);
    window.LeaveFullscreen();
    EXPECT_EQ("100,100 1024x768", XGeometry());
    EXPECT_EQ(100, window.GetX());
    EXPECT_EQ(100, window.GetY());
    // Twice in, the first placement is kept; leaving when windowed does nothing.
    window.SetPosition(20, 10, 320, 240);
    window.EnterFullscreen(1024, 768);
    window.EnterFullscreen(1024, 768);
    EXPECT_EQ("0,0 1024x768", XGeometry());
    window.LeaveFullscreen();
    window.LeaveFullscreen();
    EXPECT_EQ("20,10 320x240", XGeometry());
    EXPECT_EQ(320, window.GetWidth());

    // A size the display has no mode for: the message, and windowed on.
    testing::internal::CaptureStderr();
    window.EnterFullscreen(800, 600);
    EXPECT_EQ("Cannot change to selected desktop resolution.\n", testing::internal::GetCapturedStderr());
    EXPECT_FALSE(window.IsFullscreen());
    EXPECT_EQ("20,10 320x240", XGeometry());
}

TEST_F(WINGLAppTest, RealKeyPressesReachTheKeyboard)
{
    ScriptExec exec;
    Vorm::WINGLApp app(nullptr, L"", 0, false);
    ASSERT_TRUE(app.Create());
    Vorm::Keyboard& keys = *TSingleton<Vorm::InputMngr>::Instance()->GetKeyboard();
    auto down = [&](int code) { return keys.IsKeyDown(static_cast<VormInput::eKey>(code)); };
    auto xdo = [](const std::string& args) { return [args] { Shell("xdotool " + args); }; };
    const std::string window = Shell("xdotool search --name '^VormWindow$' | head -n1");
    ASSERT_FALSE(window.empty());

    exec.steps = {
        {"focus", xdo("windowfocus --sync " + window), nullptr},
        {"a down", xdo("keydown a"), [&] { return down('a'); }},
        {"a up", xdo("keyup a"), [&] { return !down('a'); }},
        {"shift+a", xdo("keydown shift keydown a"), [&] { return down('A') && down(VormInput::eKey_SHIFT); }},
        {"shift+a up", xdo("keyup a keyup shift"), [&] { return !down('A') && !down(VormInput::eKey_SHIFT); }},
        {"f5 and escape", xdo("keydown F5 keydown Escape"),
         [&] { return down(VormInput::eKey_F5) && down(VormInput::eKey_ESCAPE); }},
        {"release", xdo("keyup F5 keyup Escape"),
         [&] { return !down(VormInput::eKey_F5) && !down(VormInput::eKey_ESCAPE); }},
        {"return", xdo("keydown Return"),
         [&] { return down(VormInput::eKey_ENTER) && down(VormInput::eKey_ENTER2); }},
        {"return up", xdo("keyup Return"), [&] { return !down(VormInput::eKey_ENTER); }},
        {"quit", [] { Win32::PostQuitMessage(0); }, nullptr},
    };
    EXPECT_EQ(0, app.Run(&exec));
    EXPECT_EQ("", exec.timedOut);
    EXPECT_TRUE(keys.AnyKey());
}

} // namespace
