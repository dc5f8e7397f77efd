// Grass clumps collected on the CPU and uploaded once as one vertex and one
// index buffer, which the patch owns.
#include "Core/Terrain/base/GrassPatch.h"

#include "Core/Memory/MemTracker.h"
#include "Core/Rendering/IIndexBuffer.h"
#include "Core/Rendering/IRenderer.h"
#include "Core/Rendering/IVertexBuffer.h"
#include "Core/Rendering/VertexFormat.h"
#include "Core/Scenegraph/BoundingSphere.h"
#include "Core/Util/TSingleton.h"

#include <algorithm>
#include <cfloat>

namespace Vorm {

GrassPatch::GrassPatch() : m_pClumpPositions(nullptr)
{
}

GrassPatch::~GrassPatch()
{
    if (m_pClumpPositions) {
        VORM_DELETE[] m_pClumpPositions;
        m_pClumpPositions = nullptr;
    }
    ReleaseBuffers();
}

BoundingVolume* GrassPatch::OnCreateLocalBound()
{
    return VORM_NEW BoundingSphere();
}

void GrassPatch::ReleaseBuffers()
{
    VORM_DELETE m_pIndexBuffer;
    m_pIndexBuffer = nullptr;
    VORM_DELETE m_pVertexBuffer;
    m_pVertexBuffer = nullptr;
}

void GrassPatch::AddClump(float du, float uBase, float dv, float vBase, float width, float height,
                          const Vector3<float>& pos)
{
    const unsigned int k = static_cast<unsigned int>(m_vertices.size());
    const float half = width * 0.5f;
    m_vertices.push_back(GrassVertexData(pos, Vector4<float>(-half, height, uBase, vBase + dv)));
    m_vertices.push_back(GrassVertexData(pos, Vector4<float>(-half, 0.0f, uBase, vBase)));
    m_vertices.push_back(GrassVertexData(pos, Vector4<float>(half, 0.0f, uBase + du, vBase)));
    m_vertices.push_back(GrassVertexData(pos, Vector4<float>(half, height, uBase + du, vBase + dv)));
    const unsigned int quad[6] = {k, k + 1, k + 2, k, k + 2, k + 3};
    m_indices.insert(m_indices.end(), quad, quad + 6);
}

void GrassPatch::AddClumpQ0(const Vector3<float>& pos, float scale)
{
    AddClump(0.5f, 0.0f, 0.5f, 0.0f, kBaseSize * 0.5f * scale, kBaseSize * 0.5f * scale, pos);
}

void GrassPatch::AddClumpQ1(const Vector3<float>& pos)
{
    AddClump(0.5f, 0.0f, 0.5f, 0.5f, kBaseSize * 0.5f, kBaseSize, pos);
}

void GrassPatch::AddClumpQ2(const Vector3<float>& pos, float scale)
{
    AddClump(0.5f, 0.5f, 0.5f, 0.0f, kBaseSize * 0.5f * scale, kBaseSize * scale, pos);
}

void GrassPatch::AddWideClumpQ2(const Vector3<float>& pos)
{
    AddClump(0.5f, 0.5f, 0.5f, 0.0f, kBaseSize * 2.0f, kBaseSize * 0.4f, pos);
}

void GrassPatch::AddClumpFull(const Vector3<float>& pos)
{
    AddClump(1.0f, 0.0f, 1.0f, 0.0f, kBaseSize * 0.5f, kBaseSize, pos);
}

void GrassPatch::Upload(const std::vector<GrassVertexData>& vertices, const std::vector<unsigned int>& indices)
{
    // A second upload replaces the first; the old buffers must not leak.
    ReleaseBuffers();

    const VertexFormat format = GrassVertexData::GetFormat();

    IRenderer* renderer = TSingleton<IRenderer>::Instance();
    // data() rather than &v[0]: an empty patch uploads empty buffers.
    BufferData vertexData;
    vertexData.m_count = static_cast<std::uint32_t>(vertices.size());
    vertexData.m_size = vertexData.m_count * sizeof(GrassVertexData);
    vertexData.m_usage = 0;
    vertexData.m_pData = vertices.empty() ? nullptr : vertices.data();
    m_pVertexBuffer = renderer->CreateVertexBuffer();
    m_pVertexBuffer->Create(vertexData, &format);

    BufferData indexData;
    indexData.m_count = static_cast<std::uint32_t>(indices.size());
    indexData.m_size = indexData.m_count * sizeof(unsigned int);
    indexData.m_usage = 1;
    indexData.m_pData = indices.empty() ? nullptr : indices.data();
    m_pIndexBuffer = renderer->CreateIndexBuffer();
    m_pIndexBuffer->Create(indexData, DataType(eDataFormat_UINT1));

    m_iPrimitiveType = ePrimitive_TriangleList;
}

void GrassPatch::CreateBuffers()
{
    Upload(m_vertices, m_indices);
    static_cast<BoundingSphere*>(m_pLocalBound)
        ->SetFromMinMax(Vector3<float>(-400.0f, 0.0f, -400.0f), Vector3<float>(400.0f, 0.0f, 400.0f));
    std::vector<GrassVertexData>().swap(m_vertices);
    std::vector<unsigned int>().swap(m_indices);
}

void GrassPatch::CreateFromPositions(const std::vector<Vector3<float> >& positions)
{
    // A repeated call replaces the anchors; the sort pairs pointed into the old array.
    m_sortPairs.clear();
    if (m_pClumpPositions) {
        VORM_DELETE[] m_pClumpPositions;
        m_pClumpPositions = nullptr;
    }

    const std::size_t n = positions.size();
    m_pClumpPositions = VORM_NEW Vector3<float>[n];
    std::vector<GrassVertexData> vertices;
    std::vector<unsigned int> indices;
    vertices.reserve(4 * n);
    indices.reserve(6 * n);
    Vector3<float> lo(FLT_MAX, FLT_MAX, FLT_MAX);
    Vector3<float> hi(-FLT_MAX, -FLT_MAX, -FLT_MAX);
    for (std::size_t k = 0; k < n; ++k) {
        const Vector3<float>& p = positions[k];
        lo.Set(std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z));
        hi.Set(std::max(hi.x, p.x), std::max(hi.y, p.y), std::max(hi.z, p.z));
        const unsigned int first = static_cast<unsigned int>(4 * k);
        vertices.push_back(GrassVertexData(p, Vector4<float>(-2.5f, 5.0f, 0.0f, 1.0f)));
        vertices.push_back(GrassVertexData(p, Vector4<float>(-2.5f, 0.0f, 0.0f, 0.0f)));
        vertices.push_back(GrassVertexData(p, Vector4<float>(2.5f, 0.0f, 1.0f, 0.0f)));
        vertices.push_back(GrassVertexData(p, Vector4<float>(2.5f, 5.0f, 1.0f, 1.0f)));
        const unsigned int quad[6] = {first, first + 1, first + 2, first, first + 2, first + 3};
        indices.insert(indices.end(), quad, quad + 6);
        m_pClumpPositions[k] = p;
        m_sortPairs.push_back(std::make_pair(&m_pClumpPositions[k], first));
    }
    Upload(vertices, indices);
    // No anchors leave the bound a point at the origin rather than an inverted box.
    if (n == 0)
        lo = hi = Vector3<float>(0.0f, 0.0f, 0.0f);
    static_cast<BoundingSphere*>(m_pLocalBound)->SetFromMinMax(lo, hi);
}

} // namespace Vorm
