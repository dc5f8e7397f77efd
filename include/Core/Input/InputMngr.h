#ifndef VORM_CORE_INPUT_INPUTMNGR_H
#define VORM_CORE_INPUT_INPUTMNGR_H

#include "Core/Util/TSingleton.h"

namespace Vorm {

class IInputSource;
class Keyboard;
class Mouse;

// Process-wide owner of the keyboard and mouse readers, connected to one
// input source. Reach it through TSingleton<Vorm::InputMngr>::Instance().
class InputMngr : public TSingleton<InputMngr>
{
public:
    InputMngr();
    ~InputMngr();

    InputMngr(const InputMngr&) = delete;
    InputMngr& operator=(const InputMngr&) = delete;

    // Resets the source and points the readers at its blocks. The source
    // stays owned by its creator and must outlive the readers' use.
    void SetInputSource(IInputSource* source);

    Mouse* GetMouse() const { return m_pMouse; }
    Keyboard* GetKeyboard() const { return m_pKeyboard; }

    // The button-event flag if set, else the moved flag.
    bool MouseChanged() const;

private:
    Mouse* m_pMouse;
    Keyboard* m_pKeyboard;
};

} // namespace Vorm

#endif
