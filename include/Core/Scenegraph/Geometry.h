#ifndef VORM_CORE_SCENEGRAPH_GEOMETRY_H
#define VORM_CORE_SCENEGRAPH_GEOMETRY_H

#include "Core/Scenegraph/Spatial.h"

namespace Vorm {

class IIndexBuffer;
class IVertexBuffer;

enum PrimitiveType
{
    ePrimitive_TriangleList = 0,
    ePrimitive_TriangleStrip = 1,
    ePrimitive_Lines = 2
};

// Drawable leaf. The subclass that makes the buffers (through the renderer)
// also releases them; the geometry owns only its local bound.
class Geometry : public Spatial
{
public:
    Geometry();
    virtual ~Geometry();

    virtual void UpdateWorldBound();
    virtual void CollectVisible(Culler& culler);
    virtual void Traverse(ISceneVisitor& visitor);
    virtual BoundingVolume* OnCreateLocalBound();

    IIndexBuffer* GetIndexBuffer() const { return m_pIndexBuffer; }
    IVertexBuffer* GetVertexBuffer() const { return m_pVertexBuffer; }
    int GetPrimitiveType() const { return m_iPrimitiveType; }
    // Model-space bound, set once by whoever builds the geometry.
    BoundingVolume* GetLocalBound() const { return m_pLocalBound; }

protected:
    // The local bound is read by every update; keep it first.
    BoundingVolume* m_pLocalBound;
    IVertexBuffer* m_pVertexBuffer;
    IIndexBuffer* m_pIndexBuffer;
    int m_iPrimitiveType;
};

} // namespace Vorm

#endif
