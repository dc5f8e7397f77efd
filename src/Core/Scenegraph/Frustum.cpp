#include "Core/Scenegraph/Frustum.h"

#include "Core/Math/MathFunctions.h"
#include "Core/Math/MatrixBuilders.h"

namespace Vorm {

// The six values are left for the owner to set; zero keeps them defined.
Frustum::Frustum()
    : m_fLeft(0.0f), m_fRight(0.0f), m_fTop(0.0f), m_fBottom(0.0f), m_fNear(0.0f), m_fFar(0.0f),
      m_bOrthographic(false),
      m_vFrameLocation(0.0f, 0.0f, 0.0f), m_vFrameDirection(0.0f, 0.0f, 1.0f),
      m_vFrameRight(1.0f, 0.0f, 0.0f), m_vFrameUp(0.0f, 1.0f, 0.0f),
      m_planes(6, Plane()), m_corners(8, Vector3<float>(0.0f, 0.0f, 0.0f))
{
}

void Frustum::SetFrame(const Vector3<float>& location, const Vector3<float>& direction,
                       const Vector3<float>& right, const Vector3<float>& up)
{
    m_vFrameLocation = location;
    m_vFrameDirection = direction;
    m_vFrameRight = right;
    m_vFrameUp = up;
}

void Frustum::UpdatePlanes()
{
    if (m_bOrthographic)
        return;

    const Vector3<float>& L = m_vFrameLocation;
    const Vector3<float>& D = m_vFrameDirection;
    const Vector3<float>& R = m_vFrameRight;
    const Vector3<float>& U = m_vFrameUp;
    const float l = m_fLeft, r = m_fRight, t = m_fTop, b = m_fBottom, n = m_fNear, f = m_fFar;

    m_planes[ePlane_Right] = Plane((D * r - R * n) / Math::Sqrt(n * n + r * r), L, false);
    m_planes[ePlane_Left] = Plane((R * n - D * l) / Math::Sqrt(n * n + l * l), L, false);
    m_planes[ePlane_Top] = Plane((D * t - U * n) / Math::Sqrt(n * n + t * t), L, false);
    m_planes[ePlane_Bottom] = Plane((U * n - D * b) / Math::Sqrt(n * n + b * b), L, false);
    m_planes[ePlane_Near] = Plane(D, L + D * n, false);
    m_planes[ePlane_Far] = Plane(-D, L + D * f, false);
}

void Frustum::UpdateCorners()
{
    if (m_bOrthographic)
        return;

    const Vector3<float>& L = m_vFrameLocation;
    const Vector3<float>& D = m_vFrameDirection;
    const Vector3<float>& R = m_vFrameRight;
    const Vector3<float>& U = m_vFrameUp;
    const float k = m_fFar / m_fNear;

    const Vector3<float> nbl = D * m_fNear + U * m_fBottom + R * m_fLeft;
    const Vector3<float> ntl = D * m_fNear + U * m_fTop + R * m_fLeft;
    const Vector3<float> nbr = D * m_fNear + U * m_fBottom + R * m_fRight;
    const Vector3<float> ntr = D * m_fNear + U * m_fTop + R * m_fRight;

    m_corners[0] = L + nbl;
    m_corners[1] = L + ntl;
    m_corners[2] = L + nbr;
    m_corners[3] = L + ntr;
    m_corners[4] = L + nbl * k;
    m_corners[5] = L + ntl * k;
    m_corners[6] = L + nbr * k;
    m_corners[7] = L + ntr * k;
}

void MakeProjectionMatrix(const Frustum& frustum, Matrix44<float>& out)
{
    const float l = frustum.GetFrustumLeft();
    const float r = frustum.GetFrustumRight();
    const float t = frustum.GetFrustumTop();
    const float b = frustum.GetFrustumBottom();
    const float n = frustum.GetNear();
    const float f = frustum.GetFar();
    if (frustum.IsOrthographic())
        out = MakeOrthographic(l, r, b, t, n, f);
    else
        out = MakeFrustum(l, r, b, t, n, f);
}

} // namespace Vorm
