// A terrain cell owns its index buffer; the vertex buffer it draws from
// belongs to the terrain and is released there.
#include "Core/Terrain/base/TerrainCell.h"

#include "Core/Memory/MemTracker.h"
#include "Core/Rendering/IIndexBuffer.h"

namespace Vorm {

TerrainCell::TerrainCell(IVertexBuffer* sharedVertices, IIndexBuffer* indices)
{
    m_iPrimitiveType = ePrimitive_TriangleStrip;
    m_pVertexBuffer = sharedVertices;
    m_pIndexBuffer = indices;
}

TerrainCell::~TerrainCell()
{
    VORM_DELETE m_pIndexBuffer;
    m_pIndexBuffer = nullptr;
    m_pVertexBuffer = nullptr;
}

} // namespace Vorm
