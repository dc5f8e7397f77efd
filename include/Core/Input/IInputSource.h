#ifndef VORM_CORE_INPUT_IINPUTSOURCE_H
#define VORM_CORE_INPUT_IINPUTSOURCE_H

#include "Core/Input/InputState.h"

namespace Vorm {

// A platform source of keyboard and mouse input. It owns the two state blocks
// and keeps them up to date; Keyboard and Mouse read them directly.
class IInputSource
{
public:
    IInputSource();
    // Virtual: the owning window may delete a concrete source through this interface.
    virtual ~IInputSource();

    virtual bool Init() = 0;
    // Zeroes the mouse flags, buttons, modifiers and wheel (the position stays)
    // and the whole key block.
    virtual void Reset() = 0;

    VormInput::MouseState* GetMouseState() { return &m_mouseState; }
    VormInput::KeyState* GetKeyState() { return &m_keyState; }

protected:
    VormInput::MouseState m_mouseState;
    VormInput::KeyState m_keyState;
};

} // namespace Vorm

#endif
