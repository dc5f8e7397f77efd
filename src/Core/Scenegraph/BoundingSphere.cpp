#include "Core/Scenegraph/BoundingSphere.h"

#include "Core/Math/MathFunctions.h"
#include "Core/Math/Vector4.h"
#include "Core/Scenegraph/Transform.h"
#include "Core/Util/Assert.h"

namespace Vorm {

BoundingSphere::BoundingSphere()
{
    m_uKind = eKind_Sphere;
}

BoundingSphere::~BoundingSphere()
{
}

void BoundingSphere::Set(const Vector3<float>& center, float radius)
{
    m_vCenter = center;
    m_fRadius = radius;
}

void BoundingSphere::SetFromMinMax(const Vector3<float>& min, const Vector3<float>& max)
{
    const Vector3<float> half = (max - min) / 2.0f;
    m_vCenter = min + half;
    const float len = half.Length();
    m_fRadius = len > 0.2f ? len : 0.2f;
}

void BoundingSphere::Reserved0(void*)
{
}

void BoundingSphere::Reserved1(void*)
{
}

void BoundingSphere::TransformBy(const Transform& transform, const BoundingVolume* source)
{
    if (source->GetKind() != eKind_Sphere)
    {
        VORM_ASSERT(false && "Not Implemented!");
        return;
    }
    const Vector3<float>& c = source->GetCenter();
    const Vector4<float> p = transform.Apply(Vector4<float>(c.x, c.y, c.z, 1.0f));
    m_vCenter.Set(p.x, p.y, p.z);
    m_fRadius = source->GetRadius();
}

void BoundingSphere::CopyFrom(const BoundingVolume* source)
{
    if (source->GetKind() != eKind_Sphere)
    {
        VORM_ASSERT(false && "Not Implemented!");
        return;
    }
    m_vCenter = source->GetCenter();
    m_fRadius = source->GetRadius();
}

void BoundingSphere::Merge(const BoundingVolume* other)
{
    if (other->GetKind() != eKind_Sphere)
    {
        VORM_ASSERT(false && "Not Implemented!");
        return;
    }
    const Vector3<float>& c2 = other->GetCenter();
    const float r2 = other->GetRadius();
    const Vector3<float> diff = m_vCenter - c2;
    const float lenSq = diff.LengthSqr();
    const float dr = m_fRadius - r2;

    if (lenSq <= dr * dr)
    {
        if (dr < 0.0f)
        {
            m_vCenter = c2;
            m_fRadius = r2;
        }
        return;
    }

    const float dist = Math::Sqrt(lenSq);
    if (dist > 1e-6f)
        m_vCenter = c2 + diff * ((dist + dr) / (2.0f * dist));
    else
        m_vCenter = c2;
    m_fRadius = (dist + r2 + m_fRadius) * 0.5f;
}

} // namespace Vorm
