#ifndef VORM_APP_WINGLAPP_WIN32INPUTSOURCE_H
#define VORM_APP_WINGLAPP_WIN32INPUTSOURCE_H

#include "Core/Input/IInputSource.h"
#include "Platform/Win32Types.h"

namespace Vorm {

// Turns window messages into the key and mouse state blocks that the
// engine's keyboard and mouse read.
class Win32InputSource : public IInputSource
{
public:
    Win32InputSource();

    bool Init() override;
    void Reset() override;

    // True when the message was taken; the window then answers it with 0.
    bool HandleMessage(Win32::HWND hwnd, Win32::UINT msg, Win32::WPARAM wParam, Win32::LPARAM lParam);

    // Whether the source holds the pointer: only while a button it saw go
    // down in the window is held.
    bool HasCapture() const { return m_bCaptured; }

private:
    void KeyDown(Win32::UINT vk, Win32::LPARAM lParam, bool system);
    void KeyUp(Win32::UINT vk, Win32::LPARAM lParam);
    // Shift, Control and Alt: their bit and key follow the keys of that
    // kind held, left and right counted apart. False for other keys.
    bool ModifierKey(Win32::UINT vk, Win32::LPARAM lParam, bool down);
    void Char(Win32::WPARAM ch);
    // Lets go of every key, button and modifier, as when the focus or the
    // capture is lost: nothing is held when the window has them back.
    void LetGo(bool releaseCapture);
    // A press marks the key held and unread; a release clears only the held
    // bit, so a press the frame has not read yet still reads down once. A
    // repeated press of a held key is no new press.
    void Press(unsigned code);
    void Release(unsigned code);

    // Modifier keys held, two bits (left, right) a kind.
    unsigned m_uModifierKeys;
    // The key last pressed that has given no character yet; its character
    // is let go with it.
    Win32::UINT m_uCharKey;
    bool m_bCaptured;

    // The printable key last reported by a character message: one at a
    // time, held down until the key that gave it is let go.
    static bool s_bCharHeld;
    static unsigned s_uCharHeld;
    static Win32::UINT s_uCharHeldKey;
};

} // namespace Vorm

#endif
