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
    // What no mesh took: deleted through the interfaces, whose destructors
    // are virtual, so the GL buffers go with them.
    if (m_pIndexBuffer) {
        VORM_DELETE m_pIndexBuffer;
        m_pIndexBuffer = 0;
    }
    if (m_pVertexBuffer) {
        VORM_DELETE m_pVertexBuffer;
        m_pVertexBuffer = 0;
    }
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
