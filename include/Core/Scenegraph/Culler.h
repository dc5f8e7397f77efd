#ifndef VORM_CORE_SCENEGRAPH_CULLER_H
#define VORM_CORE_SCENEGRAPH_CULLER_H

#include "Core/Scenegraph/Frustum.h"

#include <vector>

namespace Vorm {

class BoundingVolume;
class Camera;
class Geometry;
class Spatial;

// Collects the geometry whose world spheres are not wholly outside a camera's
// view volume. A plane mask keeps subtrees that lie wholly inside a plane from
// testing it again.
class Culler
{
public:
    enum { eAllPlanes = 255 };

    Culler();
    ~Culler();

    void CollectVisible(Spatial& root, Camera* camera);
    // Copies the frustum and gives it the current camera's frame.
    void SetFrustum(const Frustum& frustum);
    // Sphere test; narrows the plane mask as a side effect.
    bool IsVisible(const BoundingVolume* bound);
    void Insert(Geometry* geometry);
    void Clear();

    virtual std::vector<Geometry*>& GetVisibleList();

    unsigned int GetPlaneMask() const { return m_uPlaneMask; }
    void SetPlaneMask(unsigned int mask) { m_uPlaneMask = mask; }

    Camera* GetCamera() const { return m_pCamera; }
    const Frustum& GetFrustum() const { return m_frustum; }

private:
    Culler(const Culler&);
    Culler& operator=(const Culler&);

    unsigned int m_uPlaneMask;
    Camera* m_pCamera;
    Frustum m_frustum;
    std::vector<Geometry*> m_visible;
};

} // namespace Vorm

#endif
