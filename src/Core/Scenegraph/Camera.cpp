#include "Core/Scenegraph/Camera.h"

#include "Core/Math/MathFunctions.h"

#include <iostream>
#include <string>

namespace Vorm {

Camera::Camera()
    : m_vLocation(0.0f, 0.0f, 0.0f), m_vDirection(0.0f, 0.0f, -1.0f), m_vUp(0.0f, 1.0f, 0.0f),
      m_vRight(1.0f, 0.0f, 0.0f), m_bProjectionDirty(true), m_bViewDirty(true), m_fAspect(1.0f),
      m_fFov(35.0f)
{
    SetFrame(Vector3<float>(0.0f, 0.0f, 0.0f), Vector3<float>(0.0f, 0.0f, -1.0f),
             Vector3<float>(0.0f, 1.0f, 0.0f), Vector3<float>(1.0f, 0.0f, 0.0f));
    SetPerspective(35.0f, 1.0f, 0.1f, 1000.0f);
}

void Camera::SetFrame(const Vector3<float>& location, const Vector3<float>& direction,
                      const Vector3<float>& up, const Vector3<float>& right)
{
    m_vLocation = location;
    m_vDirection = direction;
    m_vUp = up;
    m_vRight = right;
    m_bViewDirty = true;
}

void Camera::SetLocation(const Vector3<float>& location)
{
    m_vLocation = location;
    m_bViewDirty = true;
}

void Camera::SetAxes(const Vector3<float>& direction, const Vector3<float>& up, const Vector3<float>& right)
{
    m_vDirection = direction;
    m_vUp = up;
    m_vRight = right;
    m_bViewDirty = true;
}

void Camera::SetOrientation(float a, float b, float c)
{
    const float ca = Math::Cos(a), sa = Math::Sin(a);
    const float cb = Math::Cos(b), sb = Math::Sin(b);
    const float cc = Math::Cos(c), sc = Math::Sin(c);
    m_vDirection = Vector3<float>(sa * cb, sb, -ca * cb);
    m_vUp = Vector3<float>(-ca * sc - sa * sb * cc, cb * cc, ca * sb * cc - sa * sc);
    m_vRight = m_vDirection.Cross(m_vUp);
    m_bViewDirty = true;
}

void Camera::LookAt(const Vector3<float>& location, const Vector3<float>& target, const Vector3<float>& up)
{
    m_vLocation = location;
    m_vDirection = (target - location).Normalized();
    m_vRight = m_vDirection.Cross(up).Normalized();
    m_vUp = m_vRight.Cross(m_vDirection).Normalized();
    m_bViewDirty = true;
}

void Camera::SetPerspective(float fovDegrees, float aspect, float nearPlane, float farPlane)
{
    m_fFov = fovDegrees;
    m_fAspect = aspect;
    m_fTop = Math::Tan(fovDegrees / 360.0f * 3.1415927f) * nearPlane;
    m_fBottom = -m_fTop;
    m_fRight = m_fTop * aspect;
    m_fLeft = -m_fRight;
    m_fNear = nearPlane;
    m_fFar = farPlane;
    m_bOrthographic = false;
    m_bProjectionDirty = true;
}

void Camera::SetFrustum(float left, float right, float top, float bottom, float nearPlane, float farPlane)
{
    SetExtents(left, right, top, bottom, nearPlane, farPlane, false);
}

void Camera::SetOrthographic(float left, float right, float top, float bottom, float nearPlane, float farPlane)
{
    SetExtents(left, right, top, bottom, nearPlane, farPlane, true);
}

void Camera::SetExtents(float left, float right, float top, float bottom, float nearPlane, float farPlane,
                        bool orthographic)
{
    m_fLeft = left;
    m_fRight = right;
    m_fTop = top;
    m_fBottom = bottom;
    m_fNear = nearPlane;
    m_fFar = farPlane;
    m_bOrthographic = orthographic;
    m_bProjectionDirty = true;
}

const Matrix44<float>& Camera::GetViewMatrix()
{
    if (m_bViewDirty)
    {
        const Vector3<float>& R = m_vRight;
        const Vector3<float>& U = m_vUp;
        const Vector3<float>& D = m_vDirection;
        const Vector3<float>& L = m_vLocation;
        m_view = Matrix44<float>(R.x, R.y, R.z, -R.Dot(L),
                                 U.x, U.y, U.z, -U.Dot(L),
                                 -D.x, -D.y, -D.z, D.Dot(L),
                                 0.0f, 0.0f, 0.0f, 1.0f);
        m_bViewDirty = false;
    }
    return m_view;
}

const Matrix44<float>& Camera::GetProjectionMatrix()
{
    if (m_bProjectionDirty)
    {
        MakeProjectionMatrix(*this, m_projection);
        m_bProjectionDirty = false;
    }
    return m_projection;
}

void Camera::Print() const
{
    const std::string line(70, '-');
    std::cout << line << "\n";
    std::cout << "loc: " << m_vLocation.x << " , " << m_vLocation.y << " , " << m_vLocation.z << "\n";
    std::cout << "dir: " << m_vDirection.x << " , " << m_vDirection.y << " , " << m_vDirection.z << "\n";
    std::cout << "up: " << m_vUp.x << " , " << m_vUp.y << " , " << m_vUp.z << "\n";
    std::cout << "right: " << m_vRight.x << " , " << m_vRight.y << " , " << m_vRight.z << "\n";
}

} // namespace Vorm
