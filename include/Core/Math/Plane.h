#ifndef VORM_CORE_MATH_PLANE_H
#define VORM_CORE_MATH_PLANE_H

#include "Core/Math/Vector3.h"
#include "Core/Math/Vector4.h"

namespace Vorm {

// The points p with dot(normal, p) + d = 0.
class Plane
{
public:
    Plane() : m_vNormal(Vector3<float>::ZERO), m_fD(0.0f) {}

    // Normalising touches only the normal; d is kept as given.
    Plane(const Vector3<float>& normal, float d, bool normalize)
        : m_vNormal(normal), m_fD(d)
    {
        if (normalize)
            m_vNormal.Normalize();
    }

    // d is taken from the normal as given, before it is normalised.
    Plane(const Vector3<float>& normal, const Vector3<float>& point, bool normalize)
        : m_vNormal(normal), m_fD(-normal.Dot(point))
    {
        if (normalize)
            m_vNormal.Normalize();
    }

    virtual ~Plane() {}

    Plane(const Plane&) = default;
    Plane& operator=(const Plane&) = default;

    Vector3<float> GetNormal() const { return m_vNormal; }
    float GetD() const { return m_fD; }
    Vector3<float> GetScaledNormal() const { return m_vNormal * m_fD; }

    // Signed; the true distance when the normal has unit length.
    float Distance(const Vector3<float>& p) const { return m_vNormal.Dot(p) + m_fD; }

    Vector3<float> ProjectPoint(const Vector3<float>& p) const
    {
        return p - m_vNormal * (p.Dot(m_vNormal) + m_fD);
    }

    // (nx, ny, nz, d), the form clip-plane uniforms take.
    Vector4<float> ToVector4() const
    {
        return Vector4<float>(m_vNormal.x, m_vNormal.y, m_vNormal.z, m_fD);
    }

private:
    Vector3<float> m_vNormal;
    float m_fD;
};

} // namespace Vorm

#endif
