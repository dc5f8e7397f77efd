#ifndef VORM_CORE_INPUT_MOUSE_H
#define VORM_CORE_INPUT_MOUSE_H

#include "Core/Input/InputState.h"

#include <cstdint>

namespace Vorm {

// Reads the mouse block of an input source; owns nothing.
class Mouse
{
public:
    Mouse();

    // Points into the live block: values read later reflect later moves.
    const VormInput::MousePosition* GetPosition() const;
    std::uint32_t GetButtons() const;
    std::uint32_t GetModifiers() const;
    // The wheel steps gathered since the last read: the read takes them.
    std::int32_t GetWheel() const;
    bool HasMoved() const;
    bool HasButtonEvent() const;

    void SetStateBuffer(VormInput::MouseState* state);

private:
    VormInput::MouseState* m_pState;
};

} // namespace Vorm

#endif
