#include "CoutCapture.h"
#include "Verdmoor.h"

#include "WINGLApp/WINGLApp.h"
#include "WINGLApp/WINGLAppWindow.h"
#include "WINGLApp/Win32InputSource.h"

#include <gtest/gtest.h>

namespace {

// Escape on the real application window: held down, every update asks the
// window to leave full screen; windowed, nothing happens; no key lock.
TEST(VerdmoorTest, EscapeLeavesFullScreenEveryUpdateAndSetsNoLock)
{
    Vorm::WINGLApp app(nullptr, L"", 0, false);
    ASSERT_TRUE(app.Create());
    Vorm::WINGLAppWindow& window = *boost::static_pointer_cast<Vorm::WINGLAppWindow>(app.GetWindow());
    ASSERT_TRUE(window.IsFullscreen());

    Verdmoor demo(Verdmoor::eScene_World);
    window.GetInputSource()->HandleMessage(window.GetHandle(), Win32::WM_KEYDOWN, Win32::VK_ESCAPE, 0);
    CoutCapture out;
    demo.Update(0.1f);
    EXPECT_FALSE(window.IsFullscreen());
    EXPECT_EQ(0.0f, demo.GetKeyLock());

    // Still held: back in full screen, the next update leaves it again.
    window.EnterFullscreen(1024, 768);
    ASSERT_TRUE(window.IsFullscreen());
    demo.Update(0.0f);
    EXPECT_FALSE(window.IsFullscreen());
    demo.Update(0.0f);
    EXPECT_FALSE(window.IsFullscreen());
    EXPECT_EQ(1024, window.GetWidth());
    EXPECT_EQ("", out.Text());
}

} // namespace
