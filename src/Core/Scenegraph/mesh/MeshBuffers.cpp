#include "Core/Scenegraph/mesh/MeshBuffers.h"

#include "Core/Memory/MemTracker.h"
#include "Core/Rendering/IIndexBuffer.h"
#include "Core/Rendering/IVertexBuffer.h"

namespace Vorm {

MeshBuffers::MeshBuffers(IVertexBuffer* vertices, IIndexBuffer* indices)
    : m_pVertexBuffer(vertices), m_pIndexBuffer(indices)
{
}

MeshBuffers::~MeshBuffers()
{
    // Deleted through the interfaces, whose destructors are virtual, so the
    // GL buffers go with them.
    VORM_DELETE m_pIndexBuffer;
    m_pIndexBuffer = 0;
    VORM_DELETE m_pVertexBuffer;
    m_pVertexBuffer = 0;
}

IVertexBuffer* MeshBuffers::TakeVertexBuffer()
{
    IVertexBuffer* taken = m_pVertexBuffer;
    m_pVertexBuffer = 0;
    return taken;
}

IIndexBuffer* MeshBuffers::TakeIndexBuffer()
{
    IIndexBuffer* taken = m_pIndexBuffer;
    m_pIndexBuffer = 0;
    return taken;
}

} // namespace Vorm
