#include "Core/Scenegraph/Geometry.h"

#include "Core/Memory/MemTracker.h"
#include "Core/Scenegraph/BoundingSphere.h"
#include "Core/Scenegraph/Culler.h"
#include "Core/Scenegraph/ISceneVisitor.h"

namespace Vorm {

Geometry::Geometry()
    : m_pLocalBound(0), m_pVertexBuffer(0), m_pIndexBuffer(0), m_iPrimitiveType(ePrimitive_TriangleList)
{
    m_pLocalBound = Geometry::OnCreateLocalBound();
}

Geometry::~Geometry()
{
    VORM_DELETE m_pLocalBound;
    m_pLocalBound = 0;
}

BoundingVolume* Geometry::OnCreateLocalBound()
{
    return VORM_NEW BoundingSphere();
}

void Geometry::UpdateWorldBound()
{
    m_pWorldBound->TransformBy(m_world, m_pLocalBound);
}

void Geometry::CollectVisible(Culler& culler)
{
    culler.Insert(this);
}

void Geometry::Traverse(ISceneVisitor& visitor)
{
    visitor.VisitGeometry(this);
}

} // namespace Vorm
