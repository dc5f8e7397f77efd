#include "Core/Scenegraph/Keyframe.h"

namespace Vorm {

Keyframe::Keyframe(double time, const Transform& transform) : m_dTime(time), m_transform(transform)
{
}

Keyframe::Keyframe(const Keyframe& other) : m_dTime(other.m_dTime), m_transform(other.m_transform)
{
}

Keyframe& Keyframe::operator=(const Keyframe& other)
{
    m_dTime = other.m_dTime;
    m_transform = other.m_transform;
    return *this;
}

Keyframe::~Keyframe()
{
}

} // namespace Vorm
