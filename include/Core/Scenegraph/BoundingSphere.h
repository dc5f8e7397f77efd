#ifndef VORM_CORE_SCENEGRAPH_BOUNDINGSPHERE_H
#define VORM_CORE_SCENEGRAPH_BOUNDINGSPHERE_H

#include "Core/Scenegraph/BoundingVolume.h"

namespace Vorm {

class BoundingSphere : public BoundingVolume
{
public:
    BoundingSphere();
    virtual ~BoundingSphere();

    void Set(const Vector3<float>& center, float radius);
    // Sphere around an axis-aligned box; never thinner than 0.2.
    void SetFromMinMax(const Vector3<float>& min, const Vector3<float>& max);

    virtual void Reserved0(void* unused);
    virtual void Reserved1(void* unused);
    // Moves the source's centre by the transform; the radius is not scaled.
    virtual void TransformBy(const Transform& transform, const BoundingVolume* source);
    virtual void CopyFrom(const BoundingVolume* source);
    // Grows this sphere to enclose the other.
    virtual void Merge(const BoundingVolume* other);
};

} // namespace Vorm

#endif
