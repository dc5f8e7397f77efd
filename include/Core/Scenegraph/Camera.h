#ifndef VORM_CORE_SCENEGRAPH_CAMERA_H
#define VORM_CORE_SCENEGRAPH_CAMERA_H

#include "Core/Scenegraph/Frustum.h"

namespace Vorm {

// The viewer: a frame plus a view volume, with lazily built view and
// projection matrices. The camera's own frame is separate from the frame of
// its Frustum base; whoever needs planes or corners copies the frustum and
// gives the copy this frame.
class Camera : public Frustum
{
public:
    Camera();

    // Note the order: up before right.
    void SetFrame(const Vector3<float>& location, const Vector3<float>& direction,
                  const Vector3<float>& up, const Vector3<float>& right);
    void SetLocation(const Vector3<float>& location);
    void SetAxes(const Vector3<float>& direction, const Vector3<float>& up, const Vector3<float>& right);
    // a turns about the vertical axis, b tilts up, c rolls (radians).
    void SetOrientation(float a, float b, float c);
    void LookAt(const Vector3<float>& location, const Vector3<float>& target, const Vector3<float>& up);

    void SetPerspective(float fovDegrees, float aspect, float nearPlane, float farPlane);
    void SetFrustum(float left, float right, float top, float bottom, float nearPlane, float farPlane);
    void SetOrthographic(float left, float right, float top, float bottom, float nearPlane, float farPlane);

    const Matrix44<float>& GetViewMatrix();
    const Matrix44<float>& GetProjectionMatrix();

    Frustum& GetFrustum() { return *this; }
    const Frustum& GetFrustum() const { return *this; }

    const Vector3<float>& GetLocation() const { return m_vLocation; }
    const Vector3<float>& GetDirection() const { return m_vDirection; }
    const Vector3<float>& GetUp() const { return m_vUp; }
    const Vector3<float>& GetRight() const { return m_vRight; }

    float GetAspect() const { return m_fAspect; }
    float GetFov() const { return m_fFov; }

    void Print() const;

private:
    void SetExtents(float left, float right, float top, float bottom, float nearPlane, float farPlane,
                    bool orthographic);

    Vector3<float> m_vLocation;
    Vector3<float> m_vDirection;
    Vector3<float> m_vUp;
    Vector3<float> m_vRight;
    Matrix44<float> m_view;
    Matrix44<float> m_projection;
    bool m_bProjectionDirty;
    bool m_bViewDirty;
    float m_fAspect;
    float m_fFov;
};

} // namespace Vorm

#endif
