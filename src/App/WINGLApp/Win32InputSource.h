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

private:
    void KeyDown(Win32::UINT vk);
    void KeyUp(Win32::UINT vk);
    void Char(Win32::WPARAM ch);
    // A press marks the key held and unread; a release clears only the held
    // bit, so a press the frame has not read yet still reads down once. A
    // repeated press of a held key is no new press.
    void Press(unsigned code);
    void Release(unsigned code);

    // The printable key last reported by a character message: one at a
    // time, held down until the next key release.
    static bool s_bCharHeld;
    static unsigned s_uCharHeld;
};

} // namespace Vorm

#endif
