#include "Core/Scenegraph/TransformController.h"

#include <cmath>

namespace Vorm {

TransformController::TransformController() : m_dElapsed(0.0), m_uCurrent(0)
{
    Reset();
}

TransformController::~TransformController()
{
}

void TransformController::SetKeyframes(const std::vector<Keyframe>& keyframes)
{
    m_keyframes = keyframes;

    // A shorter list than before must not leave the index past its end.
    if (m_uCurrent >= m_keyframes.size())
        m_uCurrent = 0;
    m_dElapsed = m_keyframes.empty() ? 0.0 : m_keyframes[m_uCurrent].GetTime();
}

void TransformController::Update(double dt)
{
    if (m_keyframes.empty() || !(dt > 0.0))
        return;

    m_dElapsed += dt;
    const double cycle = m_keyframes.back().GetTime();
    while (m_keyframes[m_uCurrent].GetTime() <= m_dElapsed)
    {
        ++m_uCurrent;
        if (m_uCurrent == m_keyframes.size())
        {
            m_uCurrent = 0;
            if (cycle <= 0.0)
            {
                // A cycle without length would pass its key frames forever.
                m_dElapsed = 0.0;
                break;
            }
            // Whole cycles an update may span are dropped: the pose is the same.
            m_dElapsed = std::fmod(m_dElapsed - cycle, cycle);
        }
    }
}

Transform TransformController::GetTransform() const
{
    if (m_keyframes.empty())
        return Transform();
    return m_keyframes[m_uCurrent].GetTransform();
}

void TransformController::Reset()
{
    m_dElapsed = 0.0;
    m_uCurrent = 0;
}

} // namespace Vorm
