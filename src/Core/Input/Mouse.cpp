#include "Core/Input/Mouse.h"

namespace Vorm {

Mouse::Mouse()
    : m_pState(nullptr)
{
}

const VormInput::MousePosition* Mouse::GetPosition() const
{
    return &m_pState->position;
}

std::uint32_t Mouse::GetButtons() const
{
    return m_pState->buttons;
}

std::uint32_t Mouse::GetModifiers() const
{
    return m_pState->modifiers;
}

std::int32_t Mouse::GetWheel() const
{
    // A step is applied once, by the frame that reads it.
    const std::int32_t wheel = m_pState->wheel;
    m_pState->wheel = 0;
    return wheel;
}

bool Mouse::HasMoved() const
{
    return m_pState->moved != 0;
}

bool Mouse::HasButtonEvent() const
{
    return m_pState->buttonEvent != 0;
}

void Mouse::SetStateBuffer(VormInput::MouseState* state)
{
    m_pState = state;
}

} // namespace Vorm
