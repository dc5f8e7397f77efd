#ifndef VORM_CORE_INPUT_INPUTSTATE_H
#define VORM_CORE_INPUT_INPUTSTATE_H

#include <cstdint>

// Engine key codes and the two state blocks an input source keeps up to date.
namespace VormInput {

// One byte each; the code also indexes KeyState::keys. Printable characters
// 32..126 keep their character code (upper and lower case differ), so e.g.
// static_cast<VormInput::eKey>('l') names the l key.
enum eKey : std::uint8_t
{
    eKey_FIRST = 31,        // bound, not a key

    eKey_SPACE = 32,

    eKey_F1 = 127,
    eKey_F2,
    eKey_F3,
    eKey_F4,
    eKey_F5,
    eKey_F6,
    eKey_F7,
    eKey_F8,
    eKey_F9,
    eKey_F10,
    eKey_F11,
    eKey_F12,               // 138

    eKey_LEFT = 139,
    eKey_UP = 140,
    eKey_RIGHT = 141,
    eKey_DOWN = 142,

    eKey_ESCAPE = 143,
    eKey_TAB = 144,
    eKey_BACKSPACE = 145,
    eKey_ENTER = 146,       // the source sets and clears both Enter codes together
    eKey_ENTER2 = 147,
    eKey_SHIFT = 148,
    eKey_CONTROL = 149,
    eKey_ALT = 150,

    eKey_LAST = 151         // bound, not a key
};

// Bits of a KeyState::keys entry. A press stays unread until the keyboard
// reads the key, so a key pressed and released between two reads still reads
// down once.
enum eKeyBit : std::uint8_t
{
    eKeyBit_HELD = 1,
    eKeyBit_UNREAD = 2
};

// Bits of MouseState::buttons.
enum eMouseButton : std::uint32_t
{
    eMouseButton_LEFT = 1,
    eMouseButton_RIGHT = 2,
    eMouseButton_MIDDLE = 4
};

// Bits of MouseState::modifiers.
enum eModifier : std::uint32_t
{
    eModifier_SHIFT = 1,
    eModifier_CONTROL = 2,
    eModifier_ALT = 4
};

// Cursor position in client coordinates of the latest move.
struct MousePosition
{
    std::uint16_t x;
    std::uint16_t y;
};

// Mouse state block, written by the input source and read by Vorm::Mouse.
struct MouseState
{
    std::uint8_t moved;         // non-zero once a move has been seen
    std::uint8_t buttonEvent;   // non-zero once a press or release has been seen
    MousePosition position;
    std::uint32_t buttons;      // eMouseButton bits of the buttons held down
    std::uint32_t modifiers;    // eModifier bits of the modifiers held down
    std::int32_t wheel;         // wheel delta gathered since the mouse last read it
};

// Key state block, written by the input source and read by Vorm::Keyboard.
struct KeyState
{
    std::uint8_t anyKey;        // non-zero once a key press has been seen
    std::uint8_t keys[256];     // keys[code]: eKeyBit bits of that key, 0 when up and read
    std::uint8_t spare[20];
};

} // namespace VormInput

#endif
