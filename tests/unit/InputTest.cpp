#include "Core/Input/IInputSource.h"
#include "Core/Input/InputMngr.h"
#include "Core/Input/Keyboard.h"
#include "Core/Input/Mouse.h"

#include "AssertRecorder.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>

namespace {

using namespace VormInput;

// Writes the blocks the way a platform source would.
class TestInputSource : public Vorm::IInputSource
{
public:
    bool Init() override
    {
        Reset();
        return true;
    }
    void Reset() override
    {
        m_mouseState.moved = 0;
        m_mouseState.buttonEvent = 0;
        m_mouseState.buttons = 0;
        m_mouseState.modifiers = 0;
        m_mouseState.wheel = 0;
        std::memset(&m_keyState, 0, sizeof(m_keyState));
    }

    void SetKey(int code, bool down)
    {
        m_keyState.keys[code] = down ? 1 : 0;
        if (down)
            m_keyState.anyKey = 1;
    }
    void MoveTo(unsigned short x, unsigned short y)
    {
        m_mouseState.position.x = x;
        m_mouseState.position.y = y;
        m_mouseState.moved = 1;
    }
    void Press(std::uint32_t button)
    {
        m_mouseState.buttons |= button;
        m_mouseState.buttonEvent = 1;
    }
    void SetModifiers(std::uint32_t bits) { m_mouseState.modifiers = bits; }
    void SetWheel(std::int32_t delta) { m_mouseState.wheel = delta; }
};

TEST(InputState, KeyCodesAndBlockLayout)
{
    EXPECT_EQ(sizeof(eKey), 1u);
    EXPECT_EQ(eKey_FIRST, 31);
    EXPECT_EQ(eKey_F12, 138);
    EXPECT_EQ(eKey_DOWN, 142);
    EXPECT_EQ(eKey_ALT, 150);
    EXPECT_EQ(eKey_LAST, 151);

    // The layout a platform source writes.
    EXPECT_EQ(offsetof(MouseState, position), 2u);
    EXPECT_EQ(offsetof(MouseState, buttons), 8u);
    EXPECT_EQ(offsetof(MouseState, wheel), 16u);
    EXPECT_EQ(sizeof(MouseState), 20u);
    EXPECT_EQ(offsetof(KeyState, keys), 1u);
    EXPECT_EQ(sizeof(KeyState), 1u + 256u + 20u);
}

class InputMngrTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // Leave stale state behind: SetInputSource must clear it.
        m_source.SetKey('a', true);
        m_source.SetKey(eKey_F3, true);
        m_source.MoveTo(300, 200);
        m_source.Press(eMouseButton_LEFT);
        m_source.SetWheel(120);
        m_mngr.SetInputSource(&m_source);
    }

    TestInputSource m_source;
    Vorm::InputMngr m_mngr;
};

TEST_F(InputMngrTest, SetInputSourceResetsAndConnects)
{
    EXPECT_EQ(TSingleton<Vorm::InputMngr>::Instance(), &m_mngr);
    Vorm::Keyboard* kb = m_mngr.GetKeyboard();
    Vorm::Mouse* mouse = m_mngr.GetMouse();
    ASSERT_NE(kb, nullptr);
    ASSERT_NE(mouse, nullptr);

    for (int code = eKey_FIRST + 1; code < eKey_LAST; ++code)
        EXPECT_FALSE(kb->IsKeyDown(static_cast<eKey>(code))) << code;
    EXPECT_FALSE(kb->AnyKey());
    EXPECT_FALSE(mouse->HasMoved());
    EXPECT_FALSE(mouse->HasButtonEvent());
    EXPECT_EQ(mouse->GetButtons(), 0u);
    EXPECT_EQ(mouse->GetWheel(), 0);
    EXPECT_FALSE(m_mngr.MouseChanged());
    // The position survives a reset.
    EXPECT_EQ(mouse->GetPosition()->x, 300);
    EXPECT_EQ(mouse->GetPosition()->y, 200);
}

TEST_F(InputMngrTest, KeyboardReadsLiveKeyBlock)
{
    Vorm::Keyboard* kb = m_mngr.GetKeyboard();
    m_source.SetKey('a', true);
    EXPECT_TRUE(kb->IsKeyDown(static_cast<eKey>('a')));
    EXPECT_FALSE(kb->IsKeyDown(static_cast<eKey>('A')));   // case matters
    EXPECT_TRUE(kb->AnyKey());

    m_source.SetKey(eKey_ENTER, true);
    m_source.SetKey(eKey_ENTER2, true);
    EXPECT_TRUE(kb->IsKeyDown(eKey_ENTER));
    EXPECT_TRUE(kb->IsKeyDown(eKey_ENTER2));
    m_source.SetKey('a', false);
    EXPECT_FALSE(kb->IsKeyDown(static_cast<eKey>('a')));
}

TEST_F(InputMngrTest, KeyCodesOutsideRangeAreReported)
{
    Vorm::Keyboard* kb = m_mngr.GetKeyboard();
    const char* cond = "keyCode > VormInput::eKey_FIRST && keyCode < VormInput::eKey_LAST";
    AssertRecorder rec;
    EXPECT_FALSE(kb->IsKeyDown(static_cast<eKey>(32)));
    EXPECT_FALSE(kb->IsKeyDown(eKey_ALT));
    EXPECT_TRUE(rec.Failures().empty());

    // Past the assertion the byte of that code is still read, inside the block.
    m_source.SetKey(eKey_LAST, true);
    EXPECT_TRUE(kb->IsKeyDown(eKey_LAST));
    EXPECT_TRUE(rec.Saw(cond));
    rec.Clear();
    EXPECT_FALSE(kb->IsKeyDown(eKey_FIRST));
    EXPECT_FALSE(kb->IsKeyDown(static_cast<eKey>(255)));
    EXPECT_EQ(rec.Failures().size(), 2u);
}

TEST_F(InputMngrTest, MouseReadsLiveMouseBlock)
{
    Vorm::Mouse* mouse = m_mngr.GetMouse();
    const MousePosition* pos = mouse->GetPosition();

    m_source.MoveTo(17, 4000);
    EXPECT_EQ(pos->x, 17);                  // the pointer sees later moves
    EXPECT_EQ(pos->y, 4000);
    EXPECT_TRUE(mouse->HasMoved());
    EXPECT_FALSE(mouse->HasButtonEvent());
    EXPECT_TRUE(m_mngr.MouseChanged());

    m_source.Reset();
    m_source.Press(eMouseButton_RIGHT);
    m_source.Press(eMouseButton_MIDDLE);
    m_source.SetModifiers(eModifier_SHIFT | eModifier_ALT);
    m_source.SetWheel(-240);
    EXPECT_FALSE(mouse->HasMoved());
    EXPECT_TRUE(mouse->HasButtonEvent());
    EXPECT_TRUE(m_mngr.MouseChanged());
    EXPECT_EQ(mouse->GetButtons(), 6u);
    EXPECT_EQ(mouse->GetModifiers(), 5u);
    EXPECT_EQ(mouse->GetWheel(), -240);
}

} // namespace
