#include "Core/Scenegraph/Culler.h"

#include "Core/Scenegraph/BoundingVolume.h"
#include "Core/Scenegraph/Camera.h"
#include "Core/Scenegraph/Spatial.h"

namespace Vorm {

namespace {
// Plane tested by each mask bit: left and right are swapped with respect to
// the frustum's plane order.
const int kPlaneOfBit[6] = {
    Frustum::ePlane_Left, Frustum::ePlane_Right, Frustum::ePlane_Top,
    Frustum::ePlane_Bottom, Frustum::ePlane_Near, Frustum::ePlane_Far
};
} // namespace

Culler::Culler() : m_uPlaneMask(eAllPlanes), m_pCamera(0)
{
}

Culler::~Culler()
{
}

void Culler::CollectVisible(Spatial& root, Camera* camera)
{
    Clear();
    m_pCamera = camera;
    if (!camera)
        return;
    SetFrustum(camera->GetFrustum());
    root.OnCollectVisible(*this);
}

void Culler::SetFrustum(const Frustum& frustum)
{
    m_frustum = frustum;
    if (m_pCamera)
        m_frustum.SetFrame(m_pCamera->GetLocation(), m_pCamera->GetDirection(),
                           m_pCamera->GetRight(), m_pCamera->GetUp());
    m_frustum.UpdatePlanes();
    m_frustum.UpdateCorners();
}

bool Culler::IsVisible(const BoundingVolume* bound)
{
    if (bound->GetKind() != BoundingVolume::eKind_Sphere)
    {
        m_uPlaneMask = eAllPlanes;
        return true;
    }

    const float r = bound->GetRadius();
    const float r2 = r * r;
    const Vector3<float>& c = bound->GetCenter();
    const std::vector<Plane>& planes = m_frustum.GetPlanes();

    for (unsigned int bit = 0; bit < 6; ++bit)
    {
        const unsigned int flag = 1u << bit;
        if (!(m_uPlaneMask & flag))
            continue;
        const float d = planes[kPlaneOfBit[bit]].Distance(c);
        if (r2 <= d * d)
        {
            if (d < 0.0f)
                return false;
            m_uPlaneMask &= ~flag;
        }
    }
    return true;
}

void Culler::Insert(Geometry* geometry)
{
    m_visible.push_back(geometry);
}

void Culler::Clear()
{
    m_visible.clear();
    m_uPlaneMask = eAllPlanes;
}

std::vector<Geometry*>& Culler::GetVisibleList()
{
    return m_visible;
}

} // namespace Vorm
