#include "Core/Input/IInputSource.h"

#include <cstring>

namespace Vorm {

IInputSource::IInputSource()
{
    // Readers may look before the first message arrives: start from a clear state.
    std::memset(&m_mouseState, 0, sizeof(m_mouseState));
    std::memset(&m_keyState, 0, sizeof(m_keyState));
}

IInputSource::~IInputSource()
{
}

} // namespace Vorm
