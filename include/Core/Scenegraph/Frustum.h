#ifndef VORM_CORE_SCENEGRAPH_FRUSTUM_H
#define VORM_CORE_SCENEGRAPH_FRUSTUM_H

#include "Core/Math/Matrix44.h"
#include "Core/Math/Plane.h"
#include "Core/Math/Vector3.h"

#include <vector>

namespace Vorm {

// View volume (six values and a projection kind) plus a frame from which the
// six inward-facing planes and eight corners are derived.
class Frustum
{
public:
    enum PlaneIndex
    {
        ePlane_Right = 0,
        ePlane_Left = 1,
        ePlane_Top = 2,
        ePlane_Bottom = 3,
        ePlane_Near = 4,
        ePlane_Far = 5
    };

    Frustum();

    // Note the order: right before up.
    void SetFrame(const Vector3<float>& location, const Vector3<float>& direction,
                  const Vector3<float>& right, const Vector3<float>& up);

    // Both work on perspective volumes only; an orthographic volume keeps
    // whatever planes and corners it had.
    void UpdatePlanes();
    void UpdateCorners();

    float GetFrustumLeft() const { return m_fLeft; }
    float GetFrustumRight() const { return m_fRight; }
    float GetFrustumTop() const { return m_fTop; }
    float GetFrustumBottom() const { return m_fBottom; }
    float GetNear() const { return m_fNear; }
    float GetFar() const { return m_fFar; }
    bool IsOrthographic() const { return m_bOrthographic; }

    const std::vector<Vector3<float> >& GetCorners() const { return m_corners; }
    const std::vector<Plane>& GetPlanes() const { return m_planes; }
    const Plane& GetLeftPlane() const { return m_planes[ePlane_Left]; }
    const Plane& GetRightPlane() const { return m_planes[ePlane_Right]; }
    const Plane& GetTopPlane() const { return m_planes[ePlane_Top]; }
    const Plane& GetBottomPlane() const { return m_planes[ePlane_Bottom]; }
    const Plane& GetNearPlane() const { return m_planes[ePlane_Near]; }
    const Plane& GetFarPlane() const { return m_planes[ePlane_Far]; }

protected:
    float m_fLeft;
    float m_fRight;
    float m_fTop;
    float m_fBottom;
    float m_fNear;
    float m_fFar;
    bool m_bOrthographic;
    Vector3<float> m_vFrameLocation;
    Vector3<float> m_vFrameDirection;
    Vector3<float> m_vFrameRight;
    Vector3<float> m_vFrameUp;
    std::vector<Plane> m_planes;
    std::vector<Vector3<float> > m_corners;
};

// OpenGL projection of the frustum's six values: orthographic or perspective
// as its flag says.
void MakeProjectionMatrix(const Frustum& frustum, Matrix44<float>& out);

} // namespace Vorm

#endif
