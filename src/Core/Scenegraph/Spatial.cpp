#include "Core/Scenegraph/Spatial.h"

#include "Core/Memory/MemTracker.h"
#include "Core/Scenegraph/BoundingSphere.h"
#include "Core/Scenegraph/Culler.h"
#include "Core/Scenegraph/TransformController.h"

namespace Vorm {

Spatial::Spatial() : m_pWorldBound(0), m_pParent(0)
{
    m_pWorldBound = Spatial::OnCreateWorldBound();
}

Spatial::~Spatial()
{
    VORM_DELETE m_pWorldBound;
    m_pWorldBound = 0;
}

BoundingVolume* Spatial::OnCreateWorldBound()
{
    return VORM_NEW BoundingSphere();
}

void Spatial::Update(float time, bool initiator)
{
    UpdateWorldTransform(time);
    UpdateWorldBound();
    if (initiator)
        PropagateBoundUp();
}

void Spatial::UpdateWorldTransform(float time)
{
    if (m_spController)
    {
        m_spController->Update(static_cast<double>(time));
        // A controller without key frames has no pose to give; keep our own.
        if (m_spController->GetKeyframeCount() > 0)
            m_local = m_spController->GetTransform();
    }
    if (m_pParent)
        m_world.Product(m_pParent->m_world, m_local);
    else
        m_world = m_local;
}

void Spatial::OnCollectVisible(Culler& culler)
{
    if (culler.IsVisible(m_pWorldBound))
        CollectVisible(culler);
}

void Spatial::ApplyVisitor(ISceneVisitor& visitor)
{
    Traverse(visitor);
}

void Spatial::PropagateBoundUp()
{
    for (Spatial* p = m_pParent; p; p = p->m_pParent)
        p->UpdateWorldBound();
}

void Spatial::SetController(boost::shared_ptr<TransformController> controller)
{
    m_spController = controller;
}

} // namespace Vorm
