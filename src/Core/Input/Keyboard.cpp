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
    return m_pState->keys[keyCode] != 0;
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
