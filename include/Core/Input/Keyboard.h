#ifndef VORM_CORE_INPUT_KEYBOARD_H
#define VORM_CORE_INPUT_KEYBOARD_H

#include "Core/Input/InputState.h"

namespace Vorm {

// Reads the key block of an input source; owns nothing.
class Keyboard
{
public:
    Keyboard();

    // Valid codes lie strictly between eKey_FIRST and eKey_LAST. True while
    // the key is held, and once for a press released before this read: the
    // read takes the press.
    bool IsKeyDown(VormInput::eKey keyCode) const;
    bool AnyKey() const;

    void SetStateBuffer(VormInput::KeyState* state);

private:
    VormInput::KeyState* m_pState;
};

} // namespace Vorm

#endif
