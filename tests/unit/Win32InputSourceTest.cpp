#include "WINGLApp/Win32InputSource.h"

#include "Core/Input/InputMngr.h"
#include "Core/Input/Keyboard.h"
#include "Core/Input/Mouse.h"
#include "Core/Scenegraph/SceneCamera.h"
#include "Platform/Win32Window.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

using VormInput::eKey;

// Feeds messages straight to a source read through the input manager, as
// the application window does once input is enabled.
class Win32InputSourceTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_source.Init();
        m_manager.SetInputSource(&m_source);
    }
    void TearDown() override
    {
        // The character latch is program-wide: leave it empty for the next test.
        Send(Win32::WM_KILLFOCUS, 0);
    }

    bool Send(Win32::UINT msg, Win32::WPARAM wParam, Win32::LPARAM lParam = 0)
    {
        return m_source.HandleMessage(nullptr, msg, wParam, lParam);
    }
    bool Down(unsigned code) { return m_manager.GetKeyboard()->IsKeyDown(static_cast<eKey>(code)); }
    // Codes other than the given ones that read down.
    std::vector<unsigned> OthersDown(std::vector<unsigned> expected)
    {
        std::vector<unsigned> others;
        for (unsigned code = 32; code <= 150; ++code)
            if (Down(code) && std::find(expected.begin(), expected.end(), code) == expected.end())
                others.push_back(code);
        return others;
    }
    std::uint32_t Modifiers() { return m_manager.GetMouse()->GetModifiers(); }

    Vorm::Win32InputSource m_source;
    Vorm::InputMngr m_manager;
};

TEST_F(Win32InputSourceTest, KeyTableMapsVirtualKeysToEngineCodes)
{
    struct Row { Win32::UINT vk; std::vector<unsigned> codes; };
    std::vector<Row> rows = {
        {Win32::VK_BACK, {145}}, {Win32::VK_TAB, {144}}, {Win32::VK_RETURN, {146, 147}},
        {Win32::VK_SHIFT, {148}}, {Win32::VK_CONTROL, {149}}, {Win32::VK_MENU, {150}}, {Win32::VK_ESCAPE, {143}},
        {Win32::VK_LEFT, {139}}, {Win32::VK_UP, {140}}, {Win32::VK_RIGHT, {141}}, {Win32::VK_DOWN, {142}},
    };
    for (unsigned i = 0; i < 12; ++i)
        rows.push_back({Win32::VK_F1 + i, {127 + i}});

    for (const Row& row : rows) {
        SCOPED_TRACE(row.vk);
        EXPECT_TRUE(Send(Win32::WM_KEYDOWN, row.vk));
        for (unsigned code : row.codes)
            EXPECT_TRUE(Down(code));
        EXPECT_TRUE(OthersDown(row.codes).empty());
        EXPECT_TRUE(Send(Win32::WM_KEYUP, row.vk));
        EXPECT_TRUE(OthersDown({}).empty());
        m_source.Reset();
    }
}

TEST_F(Win32InputSourceTest, UnmappedKeySetsOnlyTheAnyKeyFlag)
{
    EXPECT_FALSE(m_manager.GetKeyboard()->AnyKey());
    EXPECT_TRUE(Send(Win32::WM_KEYDOWN, Win32::VK_HOME));
    EXPECT_TRUE(m_manager.GetKeyboard()->AnyKey());
    EXPECT_TRUE(OthersDown({}).empty());
    // Releasing keys leaves the flag set.
    Send(Win32::WM_KEYUP, Win32::VK_HOME);
    EXPECT_TRUE(m_manager.GetKeyboard()->AnyKey());
}

TEST_F(Win32InputSourceTest, CharacterLatchReportsOnePrintableKeyAtATime)
{
    // a and b typed quickly: b's character arrives while a is held.
    Send(Win32::WM_KEYDOWN, 'A');
    Send(Win32::WM_CHAR, 'a');
    Send(Win32::WM_KEYDOWN, 'B');
    Send(Win32::WM_CHAR, 'b');
    EXPECT_TRUE(Down('a'));
    EXPECT_FALSE(Down('b'));
    Send(Win32::WM_KEYUP, 'A');
    EXPECT_FALSE(Down('a'));
    Send(Win32::WM_KEYUP, 'B');
    EXPECT_TRUE(OthersDown({}).empty());

    // With Shift the character message carries the upper case.
    Send(Win32::WM_KEYDOWN, Win32::VK_SHIFT);
    Send(Win32::WM_KEYDOWN, 'A');
    Send(Win32::WM_CHAR, 'A');
    EXPECT_TRUE(Down(65));
    EXPECT_FALSE(Down(97));
    EXPECT_TRUE(Down(VormInput::eKey_SHIFT));
    // The latch goes with the key that set it, not with Shift.
    Send(Win32::WM_KEYUP, Win32::VK_SHIFT);
    EXPECT_TRUE(Down(65));
    Send(Win32::WM_KEYUP, 'A');
    EXPECT_FALSE(Down(65));

    // Control characters and those past '~' are not keys.
    for (Win32::WPARAM ch : {Win32::WPARAM(13), Win32::WPARAM(31), Win32::WPARAM(127), Win32::WPARAM(0xE9)}) {
        EXPECT_TRUE(Send(Win32::WM_CHAR, ch));
        EXPECT_TRUE(OthersDown({}).empty());
    }
    Send(Win32::WM_CHAR, ' ');
    EXPECT_TRUE(Down(32));
}

// A key pressed and released before the frame reads the keys reads down
// once; a held key reads down at every read, and its repeated presses add
// nothing once it is let go.
TEST_F(Win32InputSourceTest, APressReleasedBeforeTheReadIsSeenOnce)
{
    struct Tap
    {
        const char* name;
        std::vector<std::pair<Win32::UINT, Win32::WPARAM>> messages;
        std::vector<unsigned> codes;
    };
    const std::vector<Tap> taps = {
        {"F1", {{Win32::WM_KEYDOWN, Win32::VK_F1}, {Win32::WM_KEYUP, Win32::VK_F1}}, {127}},
        {"Space",
         {{Win32::WM_KEYDOWN, Win32::VK_SPACE}, {Win32::WM_CHAR, ' '}, {Win32::WM_KEYUP, Win32::VK_SPACE}},
         {32}},
        {"Enter", {{Win32::WM_KEYDOWN, Win32::VK_RETURN}, {Win32::WM_KEYUP, Win32::VK_RETURN}}, {146, 147}},
        {"Alt", {{Win32::WM_SYSKEYDOWN, Win32::VK_MENU}, {Win32::WM_SYSKEYUP, Win32::VK_MENU}}, {150}},
    };
    for (const Tap& tap : taps) {
        SCOPED_TRACE(tap.name);
        for (const auto& message : tap.messages)
            Send(message.first, message.second);
        for (unsigned code : tap.codes)
            EXPECT_TRUE(Down(code));
        EXPECT_TRUE(OthersDown({}).empty());
    }

    // Held across reads, with the system's repeated presses in between.
    Send(Win32::WM_KEYDOWN, Win32::VK_F1);
    EXPECT_TRUE(Down(VormInput::eKey_F1));
    Send(Win32::WM_KEYDOWN, Win32::VK_F1);
    EXPECT_TRUE(Down(VormInput::eKey_F1));
    Send(Win32::WM_KEYDOWN, Win32::VK_F1);
    Send(Win32::WM_KEYUP, Win32::VK_F1);
    EXPECT_FALSE(Down(VormInput::eKey_F1));

    // Reset drops a press nobody read.
    Send(Win32::WM_KEYDOWN, Win32::VK_F1 + 1);
    Send(Win32::WM_KEYUP, Win32::VK_F1 + 1);
    m_source.Reset();
    EXPECT_FALSE(Down(VormInput::eKey_F2));
}

TEST_F(Win32InputSourceTest, SystemKeysHoldAltAndAreTaken)
{
    // Alt+F4: both presses are system keys; the window never sees them.
    EXPECT_TRUE(Send(Win32::WM_SYSKEYDOWN, Win32::VK_MENU));
    EXPECT_TRUE(Send(Win32::WM_SYSKEYDOWN, 115));
    EXPECT_TRUE(Down(VormInput::eKey_ALT));
    EXPECT_FALSE(Down(VormInput::eKey_F4));
    EXPECT_EQ(4u, Modifiers());
    EXPECT_TRUE(Send(Win32::WM_SYSKEYUP, 115));
    EXPECT_TRUE(Send(Win32::WM_KEYUP, Win32::VK_MENU));
    EXPECT_FALSE(Down(VormInput::eKey_ALT));
    EXPECT_EQ(0u, Modifiers());
}

TEST_F(Win32InputSourceTest, MouseMessagesWriteTheMouseBlock)
{
    Vorm::Mouse& mouse = *m_manager.GetMouse();
    const VormInput::MousePosition* position = mouse.GetPosition();
    EXPECT_FALSE(mouse.HasMoved());
    EXPECT_TRUE(Send(Win32::WM_MOUSEMOVE, 0, (480 << 16) | 640));
    EXPECT_TRUE(mouse.HasMoved());
    EXPECT_EQ(640, position->x);
    EXPECT_EQ(480, position->y);
    EXPECT_TRUE(m_manager.MouseChanged());
    EXPECT_FALSE(mouse.HasButtonEvent());

    Send(Win32::WM_LBUTTONDOWN, 0);
    Send(Win32::WM_MBUTTONDOWN, 0);
    EXPECT_EQ(5u, mouse.GetButtons());
    EXPECT_TRUE(mouse.HasButtonEvent());
    Send(Win32::WM_RBUTTONDOWN, 0);
    Send(Win32::WM_LBUTTONUP, 0);
    EXPECT_EQ(6u, mouse.GetButtons());
    Send(Win32::WM_MBUTTONUP, 0);
    Send(Win32::WM_RBUTTONUP, 0);
    EXPECT_EQ(0u, mouse.GetButtons());

    // Reset clears flags, buttons and modifiers; the position stays.
    Send(Win32::WM_RBUTTONDOWN, 0);
    Send(Win32::WM_KEYDOWN, Win32::VK_CONTROL);
    m_source.Reset();
    EXPECT_FALSE(m_manager.MouseChanged());
    EXPECT_EQ(0u, mouse.GetButtons());
    EXPECT_EQ(0u, Modifiers());
    EXPECT_EQ(640, position->x);

    // Double clicks and dead characters are left to the window.
    EXPECT_FALSE(Send(Win32::WM_LBUTTONDBLCLK, 0));
    EXPECT_FALSE(Send(Win32::WM_DEADCHAR, '^'));
}

// Message sequences as the window delivers them, with frames between (the
// keys read, the orbit updated): nothing may stay held, and a wheel step
// moves the camera once. Each row leaves the keys that then read down, the
// mouse block, the orbit's distance and whether the pointer is held.
TEST_F(Win32InputSourceTest, SequencesLeaveNothingHeld)
{
    using namespace Win32;
    struct Step { UINT msg; WPARAM wParam; LPARAM lParam; };
    const auto down = [](UINT vk, LPARAM l = 0) { return Step{WM_KEYDOWN, vk, l}; };
    const auto up = [](UINT vk, LPARAM l = 0) { return Step{WM_KEYUP, vk, l}; };
    const auto sysDown = [](UINT vk, LPARAM l = 0) { return Step{WM_SYSKEYDOWN, vk, l}; };
    const auto sysUp = [](UINT vk, LPARAM l = 0) { return Step{WM_SYSKEYUP, vk, l}; };
    const auto chr = [](char c) { return Step{WM_CHAR, static_cast<WPARAM>(c), 0}; };
    const auto wheel = [](int delta) { return Step{WM_MOUSEWHEEL, WPARAM(std::uint16_t(delta)) << 16, 0}; };
    const auto move = [](int y) { return Step{WM_MOUSEMOVE, 0, y << 16}; };
    const Step frame = {0, 0, 0}, lDown = {WM_LBUTTONDOWN, 0, 0}, mDown = {WM_MBUTTONDOWN, 0, 0},
               lUp = {WM_LBUTTONUP, 0, 0}, focusLost = {WM_KILLFOCUS, 0, 0}, captureLost = {WM_CAPTURECHANGED, 0, 0};
    const LPARAM right = LPARAM(SC_ALT | KF_EXTENDED) << 16;
    const UINT alt = VK_MENU, shift = VK_SHIFT, ctrl = VK_CONTROL, space = VK_SPACE, f1 = VK_F1, f4 = VK_F1 + 3;

    struct Row
    {
        const char* name;
        std::vector<Step> steps;
        std::vector<unsigned> keys;
        std::uint32_t buttons, modifiers;
        std::int32_t wheel;
        float distance;
        bool captured;
    };
    const std::vector<Row> rows = {
        {"a notch under Alt moves once", {sysDown(alt), wheel(120), frame, frame, frame}, {150}, 0, 4, 0, 12.4f, false},
        {"notches add up until read", {sysDown(alt), wheel(120), move(0), wheel(-360), frame, frame}, {150}, 0, 4, 0,
         5.2f, false},
        {"a notch without Alt is dropped", {wheel(120), frame, sysDown(alt), frame}, {150}, 0, 4, 0, 10.0f, false},
        {"a notch leaves the pointer", {wheel(120)}, {}, 0, 0, 120, 10.0f, false},
        {"a held button holds it", {lDown}, {}, 1, 0, 0, 10.0f, true},
        {"F1 let go under Alt", {down(f1), frame, sysDown(alt), sysUp(f1), up(alt), frame}, {}, 0, 0, 0, 10.0f, false},
        {"Alt+Space let go, Alt held", {sysDown(alt), sysDown(space), chr(' '), frame, sysUp(space)}, {150}, 0, 4, 0,
         10.0f, false},
        {"Alt let go before F4", {sysDown(alt), sysDown(f4), up(alt), up(f4), wheel(120), frame}, {}, 0, 0, 0, 10.0f,
         false},
        {"one of both Alts let go", {sysDown(alt), sysDown(alt, right), sysUp(alt), frame}, {150}, 0, 4, 0, 10.0f,
         false},
        {"both Alts let go", {sysDown(alt), sysDown(alt, right), sysUp(alt), sysUp(alt, right), wheel(120), frame}, {},
         0, 0, 0, 10.0f, false},
        {"Shift let go, pressed elsewhere", {up(shift)}, {}, 0, 0, 0, 10.0f, false},
        {"an unmapped key's text, then Space", {chr('.'), frame, down(space), chr(' '), up(space)}, {32}, 0, 0, 0,
         10.0f, false},
        {"buttons held as the focus goes", {move(300), frame, lDown, mDown, focusLost, sysDown(alt), move(340), frame},
         {150}, 0, 4, 0, 10.0f, false},
        {"keys held as the focus goes",
         {down(shift), down(ctrl), down(f1), down('A'), chr('a'), frame, focusLost, down('B'), chr('b')}, {98}, 0, 0, 0,
         10.0f, false},
        {"the capture taken away", {lDown, down(f1), frame, captureLost}, {}, 0, 0, 0, 10.0f, false},
        {"a release whose press was elsewhere", {lUp}, {}, 0, 0, 0, 10.0f, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Vorm::Win32InputSource source;
        source.Init();
        m_manager.SetInputSource(&source);
        Vorm::SceneCamera camera;
        for (const Step& step : row.steps) {
            if (step.msg == 0) {
                OthersDown({});
                camera.Update();
            } else {
                source.HandleMessage(nullptr, step.msg, step.wParam, step.lParam);
            }
        }
        EXPECT_EQ(row.keys, OthersDown({}));
        const VormInput::MouseState& mouse = *source.GetMouseState();
        EXPECT_EQ(row.buttons, mouse.buttons);
        EXPECT_EQ(row.modifiers, mouse.modifiers);
        EXPECT_EQ(row.wheel, mouse.wheel);
        EXPECT_FLOAT_EQ(row.distance, camera.GetController().GetDistance());
        EXPECT_EQ(row.captured, source.HasCapture());
        source.HandleMessage(nullptr, WM_KILLFOCUS, 0, 0);
    }
    m_manager.SetInputSource(&m_source);
}

} // namespace
