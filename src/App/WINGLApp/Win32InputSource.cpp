#include "WINGLApp/Win32InputSource.h"

#include "Platform/Win32Window.h"

#include <cstring>

namespace Vorm {

bool Win32InputSource::s_bCharHeld = false;
unsigned Win32InputSource::s_uCharHeld = 0;

Win32InputSource::Win32InputSource()
{
}

bool Win32InputSource::Init()
{
    Reset();
    return true;
}

void Win32InputSource::Reset()
{
    m_mouseState.moved = 0;
    m_mouseState.buttonEvent = 0;
    m_mouseState.buttons = 0;
    m_mouseState.modifiers = 0;
    m_mouseState.wheel = 0;
    std::memset(&m_keyState, 0, sizeof(m_keyState));
}

void Win32InputSource::Press(unsigned code)
{
    if (!(m_keyState.keys[code] & VormInput::eKeyBit_HELD))
        m_keyState.keys[code] = VormInput::eKeyBit_HELD | VormInput::eKeyBit_UNREAD;
}

void Win32InputSource::Release(unsigned code)
{
    m_keyState.keys[code] &= static_cast<std::uint8_t>(~VormInput::eKeyBit_HELD);
}

void Win32InputSource::KeyDown(Win32::UINT vk)
{
    m_keyState.anyKey = 1;
    switch (vk) {
    case Win32::VK_BACK: Press(VormInput::eKey_BACKSPACE); break;
    case Win32::VK_TAB: Press(VormInput::eKey_TAB); break;
    case Win32::VK_RETURN:
        Press(VormInput::eKey_ENTER);
        Press(VormInput::eKey_ENTER2);
        break;
    case Win32::VK_SHIFT:
        Press(VormInput::eKey_SHIFT);
        m_mouseState.modifiers |= VormInput::eModifier_SHIFT;
        break;
    case Win32::VK_CONTROL:
        Press(VormInput::eKey_CONTROL);
        m_mouseState.modifiers |= VormInput::eModifier_CONTROL;
        break;
    case Win32::VK_ESCAPE: Press(VormInput::eKey_ESCAPE); break;
    default:
        if (vk >= Win32::VK_LEFT && vk <= Win32::VK_DOWN)
            Press(vk + 102);
        else if (vk >= Win32::VK_F1 && vk <= Win32::VK_F12)
            Press(vk + 15);
        break;
    }
}

void Win32InputSource::KeyUp(Win32::UINT vk)
{
    if (s_bCharHeld) {
        // Whatever key went up, the held character goes with it.
        s_bCharHeld = false;
        Release(s_uCharHeld);
    }
    if (vk < Win32::VK_BACK || vk > Win32::VK_F12)
        return;
    switch (vk) {
    case Win32::VK_BACK: Release(VormInput::eKey_BACKSPACE); break;
    case Win32::VK_TAB: Release(VormInput::eKey_TAB); break;
    case Win32::VK_RETURN:
        Release(VormInput::eKey_ENTER);
        Release(VormInput::eKey_ENTER2);
        break;
    case Win32::VK_SHIFT:
        Release(VormInput::eKey_SHIFT);
        m_mouseState.modifiers ^= VormInput::eModifier_SHIFT;
        break;
    case Win32::VK_CONTROL:
        Release(VormInput::eKey_CONTROL);
        m_mouseState.modifiers ^= VormInput::eModifier_CONTROL;
        break;
    case Win32::VK_ESCAPE: Release(VormInput::eKey_ESCAPE); break;
    default:
        if (vk >= Win32::VK_LEFT && vk <= Win32::VK_DOWN)
            Release(vk + 102);
        else if (vk >= Win32::VK_F1 && vk <= Win32::VK_F12)
            Release(vk + 15);
        break;
    }
}

void Win32InputSource::Char(Win32::WPARAM ch)
{
    if (s_bCharHeld || ch < 32 || ch > 126)
        return;
    s_bCharHeld = true;
    s_uCharHeld = static_cast<unsigned>(ch);
    Press(s_uCharHeld);
}

bool Win32InputSource::HandleMessage(Win32::HWND hwnd, Win32::UINT msg, Win32::WPARAM wParam, Win32::LPARAM lParam)
{
    // A wheel step is seen only until the next message of any kind.
    m_mouseState.wheel = 0;
    const std::uintptr_t l = static_cast<std::uintptr_t>(lParam);
    switch (msg) {
    case Win32::WM_KEYDOWN:
        KeyDown(static_cast<Win32::UINT>(wParam));
        return true;
    case Win32::WM_KEYUP:
        KeyUp(static_cast<Win32::UINT>(wParam));
        return true;
    case Win32::WM_CHAR:
        Char(wParam);
        return true;
    case Win32::WM_SYSKEYDOWN:
        m_mouseState.modifiers |= VormInput::eModifier_ALT;
        Press(VormInput::eKey_ALT);
        return true;
    case Win32::WM_SYSKEYUP:
        m_mouseState.modifiers ^= VormInput::eModifier_ALT;
        Release(VormInput::eKey_ALT);
        return true;
    case Win32::WM_MOUSEMOVE:
        m_mouseState.position.x = Win32::LOWORD(l);
        m_mouseState.position.y = Win32::HIWORD(l);
        m_mouseState.moved = 1;
        return true;
    case Win32::WM_LBUTTONDOWN:
    case Win32::WM_RBUTTONDOWN:
    case Win32::WM_MBUTTONDOWN:
        Win32::SetCapture(hwnd);
        m_mouseState.buttons |= msg == Win32::WM_LBUTTONDOWN   ? VormInput::eMouseButton_LEFT
                                : msg == Win32::WM_RBUTTONDOWN ? VormInput::eMouseButton_RIGHT
                                                               : VormInput::eMouseButton_MIDDLE;
        m_mouseState.buttonEvent = 1;
        return true;
    case Win32::WM_LBUTTONUP:
    case Win32::WM_RBUTTONUP:
    case Win32::WM_MBUTTONUP:
        m_mouseState.buttons ^= msg == Win32::WM_LBUTTONUP   ? VormInput::eMouseButton_LEFT
                                : msg == Win32::WM_RBUTTONUP ? VormInput::eMouseButton_RIGHT
                                                             : VormInput::eMouseButton_MIDDLE;
        m_mouseState.buttonEvent = 1;
        if (m_mouseState.buttons == 0)
            Win32::ReleaseCapture();
        return true;
    case Win32::WM_MOUSEWHEEL:
        Win32::SetCapture(hwnd);
        m_mouseState.wheel = static_cast<std::int16_t>(Win32::HIWORD(wParam));
        return true;
    default:
        return false;
    }
}

} // namespace Vorm
