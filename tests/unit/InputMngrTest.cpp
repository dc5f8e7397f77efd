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

// Every one-byte code indexes the key table; F1..F12 end right before the
// arrow keys; the block layout a platform source writes.
static_assert(sizeof(eKey) == 1 && sizeof(KeyState::keys) == 256 && eKey_F12 == 138, "key codes");
static_assert(offsetof(MouseState, position) == 2 && offsetof(MouseState, buttons) == 8 &&
                  offsetof(MouseState, wheel) == 16 && sizeof(MouseState) == 20,
              "mouse block");
static_assert(offsetof(KeyState, keys) == 1 && sizeof(KeyState) == 1 + 256 + 20, "key block");

// Resets the blocks the way a platform source does; tests write them directly.
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
        const MousePosition position = m_mouseState.position;
        m_mouseState = MouseState();
        m_mouseState.position = position;
        std::memset(&m_keyState, 0, sizeof(m_keyState));
    }

    MouseState& MouseBlock() { return m_mouseState; }
    KeyState& KeyBlock() { return m_keyState; }
};

class InputMngrTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // Leave stale state behind: SetInputSource must clear it.
        m_source.MouseBlock() = {1, 1, {300, 200}, eMouseButton_LEFT, eModifier_SHIFT, 120};
        m_source.KeyBlock().anyKey = 1;
        m_source.KeyBlock().keys['a'] = 1;
        m_mngr.SetInputSource(&m_source);
    }

    TestInputSource m_source;
    Vorm::InputMngr m_mngr;
};

TEST_F(InputMngrTest, ReadersSeeTheResetLiveBlocks)
{
    EXPECT_EQ(TSingleton<Vorm::InputMngr>::Instance(), &m_mngr);
    Vorm::Keyboard* kb = m_mngr.GetKeyboard();
    Vorm::Mouse* mouse = m_mngr.GetMouse();
    ASSERT_NE(kb, nullptr);
    ASSERT_NE(mouse, nullptr);
    EXPECT_FALSE(kb->IsKeyDown(static_cast<eKey>('a')));
    EXPECT_FALSE(kb->AnyKey());
    EXPECT_FALSE(mouse->HasMoved());
    EXPECT_FALSE(mouse->HasButtonEvent());
    EXPECT_EQ(mouse->GetButtons(), 0u);
    EXPECT_EQ(mouse->GetWheel(), 0);
    EXPECT_FALSE(m_mngr.MouseChanged());
    const MousePosition* pos = mouse->GetPosition();
    EXPECT_EQ(pos->x, 300); // the position survives a reset
    EXPECT_EQ(pos->y, 200);

    KeyState& keys = m_source.KeyBlock();
    keys.keys['a'] = 1;
    keys.keys[eKey_ENTER2] = 1;
    keys.anyKey = 1;
    EXPECT_TRUE(kb->IsKeyDown(static_cast<eKey>('a')));
    EXPECT_FALSE(kb->IsKeyDown(static_cast<eKey>('A')));   // case matters
    EXPECT_TRUE(kb->IsKeyDown(eKey_ENTER2));
    EXPECT_FALSE(kb->IsKeyDown(eKey_ENTER));
    EXPECT_TRUE(kb->AnyKey());

    m_source.MouseBlock() = {1, 0, {17, 4000}, 0, 0, 0};
    EXPECT_EQ(pos->x, 17);                  // the pointer sees later moves
    EXPECT_EQ(pos->y, 4000);
    EXPECT_TRUE(mouse->HasMoved());
    EXPECT_FALSE(mouse->HasButtonEvent());
    EXPECT_TRUE(m_mngr.MouseChanged());

    m_source.MouseBlock() = {0, 1, {17, 4000}, eMouseButton_RIGHT | eMouseButton_MIDDLE,
                                 eModifier_SHIFT | eModifier_ALT, -240};
    EXPECT_FALSE(mouse->HasMoved());
    EXPECT_TRUE(mouse->HasButtonEvent());
    EXPECT_TRUE(m_mngr.MouseChanged());
    EXPECT_EQ(mouse->GetButtons(), 6u);
    EXPECT_EQ(mouse->GetModifiers(), 5u);
    EXPECT_EQ(mouse->GetWheel(), -240);
}

TEST_F(InputMngrTest, KeyCodesOutsideRangeAreReported)
{
    Vorm::Keyboard* kb = m_mngr.GetKeyboard();
    AssertRecorder rec;
    EXPECT_FALSE(kb->IsKeyDown(eKey_SPACE));
    EXPECT_FALSE(kb->IsKeyDown(eKey_ALT));
    EXPECT_TRUE(rec.Failures().empty());

    // Past the assertion the byte of that code is still read, inside the block.
    m_source.KeyBlock().keys[eKey_LAST] = 1;
    EXPECT_TRUE(kb->IsKeyDown(eKey_LAST));
    EXPECT_FALSE(kb->IsKeyDown(eKey_FIRST));
    EXPECT_FALSE(kb->IsKeyDown(static_cast<eKey>(255)));
    EXPECT_EQ(std::vector<std::string>(3, "keyCode > VormInput::eKey_FIRST && keyCode < VormInput::eKey_LAST"),
              rec.Failures());
}

} // namespace
