#ifndef VORM_CORE_SCENEGRAPH_KEYFRAME_H
#define VORM_CORE_SCENEGRAPH_KEYFRAME_H

#include "Core/Scenegraph/Transform.h"

namespace Vorm {

// A pose and the moment (seconds from the cycle start) at which the animation
// moves on from it.
class Keyframe
{
public:
    Keyframe(double time, const Transform& transform);
    Keyframe(const Keyframe& other);
    Keyframe& operator=(const Keyframe& other);
    virtual ~Keyframe();

    double GetTime() const { return m_dTime; }
    Transform& GetTransform() { return m_transform; }
    const Transform& GetTransform() const { return m_transform; }

private:
    double m_dTime;
    Transform m_transform;
};

} // namespace Vorm

#endif
