#include "WINGLApp/WINGLContext.h"

#include "Platform/Win32GL.h"
#include "WINGLApp/WINGLWindow.h"

#include <GL/glew.h>
#include <gtest/gtest.h>

#include <string>

namespace {

// A bare window: no messages of its own.
class PlainWindow : public Vorm::WINGLWindow
{
public:
    Win32::LRESULT HandleMessage(Win32::UINT msg, Win32::WPARAM wParam, Win32::LPARAM lParam) override
    {
        return Win32::DefWindowProcW(m_hwnd, msg, wParam, lParam);
    }
};

class WINGLContextTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_contexts = Win32::CountLiveContexts();
        ASSERT_TRUE(Vorm::WINGLWindow::RegisterClass(nullptr));
        ASSERT_TRUE(m_window.Create(0, 0, 64, 64));
    }

    // Makes the window's context current and reads what it is.
    void Inspect(std::string& version, GLint& flags)
    {
        m_window.MakeCurrent();
        ASSERT_TRUE(m_window.GetContext());
        version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
        flags = 0;
        glGetIntegerv(GL_CONTEXT_FLAGS, &flags);
        while (glGetError() != GL_NO_ERROR) {
        }
        m_window.ReleaseCurrent();
    }

    int m_contexts = 0;
    PlainWindow m_window;
};

TEST_F(WINGLContextTest, VersionRequestGivesForwardCompatibleContext)
{
    ASSERT_TRUE(m_window.SetupGL(Vorm::GLContextDesc{3, 1}));
    EXPECT_EQ(nullptr, Win32::wglGetCurrentContext());
    std::string version;
    GLint flags;
    Inspect(version, flags);
    EXPECT_EQ(0u, version.find("3.1")) << version;
    EXPECT_TRUE(flags & GL_CONTEXT_FLAG_FORWARD_COMPATIBLE_BIT);
    // The legacy context made on the way is gone; the versioned one stays.
    EXPECT_EQ(m_contexts + 1, Win32::CountLiveContexts());
}

TEST_F(WINGLContextTest, LegacyRequestKeepsTheFirstContext)
{
    ASSERT_TRUE(m_window.SetupGL(Vorm::GLContextDesc{2, 1}));
    EXPECT_EQ(nullptr, Win32::wglGetCurrentContext());
    EXPECT_EQ(m_contexts + 1, Win32::CountLiveContexts());
    std::string version;
    GLint flags;
    Inspect(version, flags);
    EXPECT_FALSE(version.empty());
}

TEST_F(WINGLContextTest, RequestAboveTheDriverFailsCleanly)
{
    int major = 0, minor = 0;
    {
        // What the driver offers (3.1 under the project's override).
        PlainWindow probe;
        ASSERT_TRUE(probe.Create(0, 0, 16, 16));
        ASSERT_TRUE(probe.SetupGL(Vorm::GLContextDesc{2, 1}));
        probe.MakeCurrent();
        glGetIntegerv(GL_MAJOR_VERSION, &major);
        glGetIntegerv(GL_MINOR_VERSION, &minor);
        probe.ReleaseCurrent();
    }
    ASSERT_GE(major, 3);
    const Vorm::GLContextDesc aboveMinor = {static_cast<std::uint8_t>(major), static_cast<std::uint8_t>(minor + 1)};
    const Vorm::GLContextDesc aboveMajor = {static_cast<std::uint8_t>(major + 1), 0};
    for (const Vorm::GLContextDesc& desc : {aboveMinor, aboveMajor}) {
        PlainWindow window;
        ASSERT_TRUE(window.Create(0, 0, 16, 16));
        EXPECT_FALSE(window.SetupGL(desc)) << int(desc.major) << "." << int(desc.minor);
        EXPECT_EQ(nullptr, Win32::wglGetCurrentContext());
        EXPECT_EQ(m_contexts, Win32::CountLiveContexts());
    }
}

TEST_F(WINGLContextTest, WindowTakesItsContextAndSurfaceAlong)
{
    const int windows = Win32::CountLiveWindows();
    {
        PlainWindow window;
        ASSERT_TRUE(window.Create(0, 0, 16, 16));
        ASSERT_TRUE(window.SetupGL(Vorm::GLContextDesc{3, 1}));
        EXPECT_EQ(windows + 1, Win32::CountLiveWindows());
        // Destroyed by the system first (a closed window): the surface waits for the context.
        Win32::DestroyWindow(window.GetHandle());
        EXPECT_EQ(windows + 1, Win32::CountLiveWindows());
        window.MakeCurrent();
        EXPECT_NE(nullptr, Win32::wglGetCurrentContext());
    }
    EXPECT_EQ(nullptr, Win32::wglGetCurrentContext());
    EXPECT_EQ(windows, Win32::CountLiveWindows());
    EXPECT_EQ(m_contexts, Win32::CountLiveContexts());
}

} // namespace
