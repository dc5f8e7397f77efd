#include "WINGLApp/Win32InputSource.h"

#include "Platform/Win32Window.h"

#include <cstring>

namespace Vorm {

namespace {

// The engine code of a key the table maps (Enter: the first of its two), or 0.
unsigned MappedCode(Win32::UINT vk)
{
    switch (vk) {
    case Win32::VK_BACK: return VormInput::eKey_BACKSPACE;
    case Win32::VK_TAB: return VormInput::eKey_TAB;
    case Win32::VK_RETURN: return VormInput::eKey_ENTER;
    case Win32::VK_ESCAPE: return VormInput::eKey_ESCAPE;
    default:
        if (vk >= Win32::VK_LEFT && vk <= Win32::VK_DOWN)
            return vk + 102;
        if (vk >= Win32::VK_F1 && vk <= Win32::VK_F12)
            return vk + 15;
        return 0;
    }
}

} // namespace

bool Win32InputSource::s_bCharHeld = false;
unsigned Win32InputSource::s_uCharHeld = 0;
Win32::UINT Win32InputSource::s_uCharHeldKey = 0;

Win32InputSource::Win32InputSource()
    : m_uModifierKeys(0)
    , m_uCharKey(0)
    , m_bCaptured(false)
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
    m_uModifierKeys = 0;
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

bool Win32InputSource::ModifierKey(Win32::UINT vk, Win32::LPARAM lParam, bool down)
{
    unsigned kind;
    switch (vk) {
    case Win32::VK_SHIFT: kind = 0; break;
    case Win32::VK_CONTROL: kind = 1; break;
    case Win32::VK_MENU: kind = 2; break;
    default: return false;
    }
    const unsigned flags = Win32::HIWORD(static_cast<std::uintptr_t>(lParam));
    const bool right = vk == Win32::VK_SHIFT ? (flags & 0xFF) == Win32::SC_RSHIFT : (flags & Win32::KF_EXTENDED) != 0;
    const unsigned keyBit = (right ? 2u : 1u) << (2 * kind);
    if (down)
        m_uModifierKeys |= keyBit;
    else
        m_uModifierKeys &= ~keyBit;

    const std::uint32_t bits[] = {VormInput::eModifier_SHIFT, VormInput::eModifier_CONTROL, VormInput::eModifier_ALT};
    const unsigned code = VormInput::eKey_SHIFT + kind;
    if (m_uModifierKeys & (3u << (2 * kind))) {
        m_mouseState.modifiers |= bits[kind];
        Press(code);
    } else {
        // The last key of its kind went up.
        m_mouseState.modifiers &= ~bits[kind];
        Release(code);
    }
    return true;
}

void Win32InputSource::KeyDown(Win32::UINT vk, Win32::LPARAM lParam, bool system)
{
    if (!system)
        m_keyState.anyKey = 1;
    if (ModifierKey(vk, lParam, true))
        return;
    m_uCharKey = vk;
    // Other system keys (Alt+F4, F10) are the system's: they press nothing.
    if (system)
        return;
    if (const unsigned code = MappedCode(vk)) {
        Press(code);
        if (code == VormInput::eKey_ENTER)
            Press(VormInput::eKey_ENTER2);
    }
}

void Win32InputSource::KeyUp(Win32::UINT vk, Win32::LPARAM lParam)
{
    if (s_bCharHeld && s_uCharHeldKey == vk) {
        s_bCharHeld = false;
        Release(s_uCharHeld);
    }
    if (m_uCharKey == vk)
        m_uCharKey = 0;
    if (ModifierKey(vk, lParam, false))
        return;
    if (const unsigned code = MappedCode(vk)) {
        Release(code);
        if (code == VormInput::eKey_ENTER)
            Release(VormInput::eKey_ENTER2);
    }
}

void Win32InputSource::Char(Win32::WPARAM ch)
{
    if (s_bCharHeld || ch < 32 || ch > 126)
        return;
    const unsigned code = static_cast<unsigned>(ch);
    if (m_uCharKey == 0) {
        // No key message came with it (a key the system does not name), so
        // no release will: the character is a tap, read once.
        Press(code);
        Release(code);
        return;
    }
    s_bCharHeld = true;
    s_uCharHeld = code;
    s_uCharHeldKey = m_uCharKey;
    m_uCharKey = 0;
    Press(code);
}

void Win32InputSource::LetGo(bool releaseCapture)
{
    const bool captured = m_bCaptured;
    m_bCaptured = false;
    if (m_mouseState.buttons != 0)
        m_mouseState.buttonEvent = 1;
    m_mouseState.buttons = 0;
    m_mouseState.modifiers = 0;
    m_uModifierKeys = 0;
    m_uCharKey = 0;
    s_bCharHeld = false;
    for (unsigned code = 0; code < sizeof(m_keyState.keys); ++code)
        Release(code);
    if (captured && releaseCapture)
        Win32::ReleaseCapture();
}

bool Win32InputSource::HandleMessage(Win32::HWND hwnd, Win32::UINT msg, Win32::WPARAM wParam, Win32::LPARAM lParam)
{
    const std::uintptr_t l = static_cast<std::uintptr_t>(lParam);
    switch (msg) {
    case Win32::WM_KEYDOWN:
    case Win32::WM_SYSKEYDOWN:
        KeyDown(static_cast<Win32::UINT>(wParam), lParam, msg == Win32::WM_SYSKEYDOWN);
        return true;
    case Win32::WM_KEYUP:
    case Win32::WM_SYSKEYUP:
        // A release is seen whatever modifiers are held.
        KeyUp(static_cast<Win32::UINT>(wParam), lParam);
        return true;
    case Win32::WM_CHAR:
        Char(wParam);
        return true;
    case Win32::WM_KILLFOCUS:
        LetGo(true);
        return false;
    case Win32::WM_CAPTURECHANGED:
        // Our own release clears the flag first; this is the capture taken away.
        if (m_bCaptured)
            LetGo(false);
        return false;
    case Win32::WM_MOUSEMOVE:
        m_mouseState.position.x = Win32::LOWORD(l);
        m_mouseState.position.y = Win32::HIWORD(l);
        m_mouseState.moved = 1;
        return true;
    case Win32::WM_LBUTTONDOWN:
    case Win32::WM_RBUTTONDOWN:
    case Win32::WM_MBUTTONDOWN:
        Win32::SetCapture(hwnd);
        m_bCaptured = true;
        m_mouseState.buttons |= msg == Win32::WM_LBUTTONDOWN   ? VormInput::eMouseButton_LEFT
                                : msg == Win32::WM_RBUTTONDOWN ? VormInput::eMouseButton_RIGHT
                                                               : VormInput::eMouseButton_MIDDLE;
        m_mouseState.buttonEvent = 1;
        return true;
    case Win32::WM_LBUTTONUP:
    case Win32::WM_RBUTTONUP:
    case Win32::WM_MBUTTONUP:
        // Cleared, not flipped: a release whose press was elsewhere holds nothing.
        m_mouseState.buttons &= ~(msg == Win32::WM_LBUTTONUP   ? VormInput::eMouseButton_LEFT
                                  : msg == Win32::WM_RBUTTONUP ? VormInput::eMouseButton_RIGHT
                                                               : VormInput::eMouseButton_MIDDLE);
        m_mouseState.buttonEvent = 1;
        if (m_mouseState.buttons == 0 && m_bCaptured) {
            m_bCaptured = false;
            Win32::ReleaseCapture();
        }
        return true;
    case Win32::WM_MOUSEWHEEL:
        // Steps add up until the frame reads them; the pointer is not taken.
        m_mouseState.wheel += static_cast<std::int16_t>(Win32::HIWORD(wParam));
        return true;
    default:
        return false;
    }
}

} // namespace Vorm
