#include "Core/Scenegraph/mesh/TriangleMesh.h"

#include "Core/Memory/MemTracker.h"
#include "Core/Rendering/IIndexBuffer.h"
#include "Core/Rendering/IRenderer.h"
#include "Core/Rendering/IVertexBuffer.h"
#include "Core/Scenegraph/BoundingVolume.h"
#include "Core/Util/Assert.h"
#include "Core/Util/TSingleton.h"

namespace Vorm {

TriangleMesh::TriangleMesh() : m_bCreated(false)
{
    m_iPrimitiveType = ePrimitive_TriangleList;
}

TriangleMesh::~TriangleMesh()
{
    // Released here, not through ReleaseBuffers(), so the tracker names the
    // destructor; deleted through the interfaces, whose destructors are virtual.
    if (m_pIndexBuffer) {
        VORM_DELETE m_pIndexBuffer;
        m_pIndexBuffer = 0;
    }
    if (m_pVertexBuffer) {
        VORM_DELETE m_pVertexBuffer;
        m_pVertexBuffer = 0;
    }
}

void TriangleMesh::ReleaseBuffers()
{
    // Deleted through the interfaces, whose destructors are virtual, so the
    // GL buffers go with them.
    if (m_pIndexBuffer) {
        VORM_DELETE m_pIndexBuffer;
        m_pIndexBuffer = 0;
    }
    if (m_pVertexBuffer) {
        VORM_DELETE m_pVertexBuffer;
        m_pVertexBuffer = 0;
    }
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
    m_pVertexBuffer = renderer->CreateVertexBuffer();
    m_pVertexBuffer->Create(vertices, format);
    m_pIndexBuffer = renderer->CreateIndexBuffer();
    m_pIndexBuffer->Create(indices, indexType);

    m_bCreated = true;
    return true;
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
