// Debug lines of the terrain's vertex normals: from each vertex 0.1 units
// along its normal, as a line list without indices.
#include "Core/Terrain/base/NormalGeometry.h"

#include "Core/Memory/MemTracker.h"
#include "Core/Rendering/BufferData.h"
#include "Core/Rendering/IIndexBuffer.h"
#include "Core/Rendering/IRenderer.h"
#include "Core/Rendering/IVertexBuffer.h"
#include "Core/Rendering/VertexTypes.h"
#include "Core/Terrain/base/TerrainVertex.h"
#include "Core/Util/TSingleton.h"

#include <vector>

namespace Vorm {

NormalGeometry::NormalGeometry()
{
    m_iPrimitiveType = ePrimitive_Lines;
}

NormalGeometry::~NormalGeometry()
{
    ReleaseBuffers();
}

void NormalGeometry::ReleaseBuffers()
{
    VORM_DELETE m_pIndexBuffer;
    m_pIndexBuffer = nullptr;
    VORM_DELETE m_pVertexBuffer;
    m_pVertexBuffer = nullptr;
}

void NormalGeometry::Create(const TerrainVertex* vertices, std::uint32_t count)
{
    ReleaseBuffers();
    std::vector<VT_Pos> points;
    points.reserve(2 * std::size_t(count));
    for (std::uint32_t k = 0; k < count; ++k) {
        points.push_back(VT_Pos(vertices[k].pos));
        points.push_back(VT_Pos(vertices[k].pos + vertices[k].normal * 0.1f));
    }
    IRenderer* renderer = TSingleton<IRenderer>::Instance();
    const VertexFormat format = VT_Pos::GetFormat();
    m_pVertexBuffer = renderer->CreateVertexBuffer();
    m_pVertexBuffer->Create(BufferDataOf(points), &format);
    // Left without data: the renderer then draws the points as a plain list.
    m_pIndexBuffer = renderer->CreateIndexBuffer();
}

} // namespace Vorm
