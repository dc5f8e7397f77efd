#include "Core/Input/InputMngr.h"

#include "Core/Input/IInputSource.h"
#include "Core/Input/Keyboard.h"
#include "Core/Input/Mouse.h"
#include "Core/Memory/MemTracker.h"

namespace Vorm {

InputMngr::InputMngr()
    : m_pMouse(nullptr)
    , m_pKeyboard(nullptr)
{
    m_pMouse = VORM_NEW Mouse();
    m_pKeyboard = VORM_NEW Keyboard();
}

InputMngr::~InputMngr()
{
    VORM_DELETE m_pMouse;
    m_pMouse = nullptr;
    VORM_DELETE m_pKeyboard;
    m_pKeyboard = nullptr;
}

void InputMngr::SetInputSource(IInputSource* source)
{
    source->Reset();
    m_pMouse->SetStateBuffer(source->GetMouseState());
    m_pKeyboard->SetStateBuffer(source->GetKeyState());
}

bool InputMngr::MouseChanged() const
{
    if (m_pMouse->HasButtonEvent())
        return true;
    return m_pMouse->HasMoved();
}

} // namespace Vorm
