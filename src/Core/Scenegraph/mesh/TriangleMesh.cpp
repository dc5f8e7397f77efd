#include "Core/Scenegraph/mesh/TriangleMesh.h"

#include "Core/Memory/MemTracker.h"
#include "Core/Rendering/IIndexBuffer.h"
#include "Core/Rendering/IRenderer.h"
#include "Core/Rendering/IVertexBuffer.h"
#include "Core/Scenegraph/BoundingVolume.h"
#include "Core/Scenegraph/mesh/MeshBuffers.h"
#include "Core/Util/Assert.h"
#include "Core/Util/TSingleton.h"

namespace Vorm {

TriangleMesh::TriangleMesh() : m_bCreated(false)
{
    m_iPrimitiveType = ePrimitive_TriangleList;
}

TriangleMesh::~TriangleMesh()
{
    // The last mesh drawing the buffers releases them here, not through
    // ReleaseBuffers(), so the tracker names the destructor; deleted through
    // the interfaces, whose destructors are virtual.
    if (m_spBuffers && m_spBuffers.unique()) {
        IIndexBuffer* indices = m_spBuffers->TakeIndexBuffer();
        VORM_DELETE indices;
        IVertexBuffer* vertices = m_spBuffers->TakeVertexBuffer();
        VORM_DELETE vertices;
    }
    ReleaseBuffers();
}

void TriangleMesh::ReleaseBuffers()
{
    // The buffers go with the last mesh that draws them (their owner's
    // destructor deletes them).
    m_spBuffers.reset();
    m_pIndexBuffer = 0;
    m_pVertexBuffer = 0;
}

bool TriangleMesh::Create(const BufferData& vertices, const VertexFormat* format,
                          const BufferData& indices, const DataType& indexType,
                          const BoundingVolume* bound)
{
    if (bound)
        m_pLocalBound->CopyFrom(bound);

    VORM_ASSERT(!m_bCreated && "Geometry created twice!");
    // Past the assertion the new data replaces the old; the old buffers
    // must not leak.
    ReleaseBuffers();

    IRenderer* renderer = TSingleton<IRenderer>::Instance();
    IVertexBuffer* vb = renderer->CreateVertexBuffer();
    vb->Create(vertices, format);
    IIndexBuffer* ib = renderer->CreateIndexBuffer();
    ib->Create(indices, indexType);
    m_spBuffers.reset(VORM_NEW MeshBuffers(vb, ib));
    m_pVertexBuffer = vb;
    m_pIndexBuffer = ib;

    m_bCreated = true;
    return true;
}

void TriangleMesh::ShareBuffers(const TriangleMesh& source)
{
    VORM_ASSERT(!m_bCreated && "Geometry created twice!");
    VORM_ASSERT(source.m_bCreated && "Sharing the buffers of a mesh never created!");
    m_spBuffers = source.m_spBuffers;
    m_pVertexBuffer = source.m_pVertexBuffer;
    m_pIndexBuffer = source.m_pIndexBuffer;
    m_iPrimitiveType = source.m_iPrimitiveType;
    m_pLocalBound->CopyFrom(source.m_pLocalBound);
    m_bCreated = source.m_bCreated;
}

void TriangleMesh::SetMaterialEffect(boost::shared_ptr<IMaterialEffect> effect)
{
    m_spMaterialEffect = effect;
}

boost::shared_ptr<IMaterialEffect> TriangleMesh::GetMaterialEffect() const
{
    return m_spMaterialEffect;
}

} // namespace Vorm
