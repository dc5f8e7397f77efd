#include "Core/Input/Keyboard.h"

#include "Core/Util/Assert.h"

namespace Vorm {

Keyboard::Keyboard()
    : m_pState(nullptr)
{
}

bool Keyboard::IsKeyDown(VormInput::eKey keyCode) const
{
    VORM_ASSERT(keyCode > VormInput::eKey_FIRST && keyCode < VormInput::eKey_LAST);
    // Any one-byte code stays inside the 256-entry key table.
    std::uint8_t& key = m_pState->keys[keyCode];
    const bool down = key != 0;
    key &= VormInput::eKeyBit_HELD;
    return down;
}

bool Keyboard::AnyKey() const
{
    return m_pState->anyKey != 0;
}

void Keyboard::SetStateBuffer(VormInput::KeyState* state)
{
    m_pState = state;
}

} // namespace Vorm
