// Input source whose keys the test sets directly, for code that reads the
// keyboard through the input manager.
#ifndef VORM_TESTS_STUBINPUTSOURCE_H
#define VORM_TESTS_STUBINPUTSOURCE_H

#include "Core/Input/IInputSource.h"

#include <cstring>

class StubInputSource : public Vorm::IInputSource
{
public:
    bool Init() override
    {
        Reset();
        return true;
    }
    void Reset() override
    {
        std::memset(&m_mouseState, 0, sizeof(m_mouseState));
        std::memset(&m_keyState, 0, sizeof(m_keyState));
    }

    void Press(VormInput::eKey key)
    {
        m_keyState.anyKey = 1;
        m_keyState.keys[key] = 1;
    }
    void Release(VormInput::eKey key) { m_keyState.keys[key] = 0; }
    void ReleaseAll() { std::memset(m_keyState.keys, 0, sizeof(m_keyState.keys)); }
};

#endif
