#ifndef VORM_CORE_SCENEGRAPH_BOUNDINGVOLUME_H
#define VORM_CORE_SCENEGRAPH_BOUNDINGVOLUME_H

#include "Core/Math/Vector3.h"

namespace Vorm {

class Transform;

// Abstract bound of a spatial. Only spheres exist (kind 0); the culler and the
// scene graph read centre and radius directly.
class BoundingVolume
{
public:
    enum Kind { eKind_Sphere = 0 };

    BoundingVolume();
    // Bounds are owned and deleted through this interface.
    virtual ~BoundingVolume();

    float GetRadius() const { return m_fRadius; }
    const Vector3<float>& GetCenter() const { return m_vCenter; }
    unsigned int GetKind() const { return m_uKind; }

    virtual void Reserved0(void* unused) = 0;
    virtual void Reserved1(void* unused) = 0;
    virtual void TransformBy(const Transform& transform, const BoundingVolume* source) = 0;
    virtual void CopyFrom(const BoundingVolume* source) = 0;
    virtual void Merge(const BoundingVolume* other) = 0;

protected:
    float m_fRadius;
    Vector3<float> m_vCenter;
    unsigned int m_uKind;
};

} // namespace Vorm

#endif
