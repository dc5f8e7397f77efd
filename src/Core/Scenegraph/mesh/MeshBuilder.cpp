#include "Core/Scenegraph/mesh/MeshBuilder.h"

#include "Core/Rendering/BufferData.h"
#include "Core/Rendering/DataFormat.h"
#include "Core/Rendering/VertexFormat.h"
#include "Core/Rendering/VertexTypes.h"
#include "Core/Scenegraph/BoundingSphere.h"
#include "Core/Scenegraph/mesh/TriangleMesh.h"

#include <cstdint>

namespace Vorm {

namespace {

// Creates the mesh from static vertices and one-byte indices, with a
// bounding sphere of the given radius around the origin.
void CreateIndexed(TriangleMesh* mesh, const void* vertices, unsigned vertexCount, unsigned vertexSize,
                   const VertexFormat& format, const std::uint8_t* indices, unsigned indexCount, float radius)
{
    BufferData vertexData;
    vertexData.m_count = vertexCount;
    vertexData.m_size = vertexCount * vertexSize;
    vertexData.m_usage = 0;
    vertexData.m_pData = vertices;

    BufferData indexData;
    indexData.m_count = indexCount;
    indexData.m_size = indexCount;
    indexData.m_usage = 0;
    indexData.m_pData = indices;

    BoundingSphere bound;
    bound.Set(Vector3<float>(0.0f, 0.0f, 0.0f), radius);

    mesh->Create(vertexData, &format, indexData, DataType(eDataFormat_UBYTE1), &bound);
}

} // namespace

void MeshBuilder::CreateBox(TriangleMesh* mesh, float width, float height, float depth)
{
    const float hx = width / 2.0f;
    const float hy = height / 2.0f;
    const float hz = depth / 2.0f;

    const VT_Pos vertices[8] = {
        VT_Pos(Vector3<float>(-hx, -hy, hz)), VT_Pos(Vector3<float>(hx, -hy, hz)),
        VT_Pos(Vector3<float>(hx, hy, hz)),   VT_Pos(Vector3<float>(-hx, hy, hz)),
        VT_Pos(Vector3<float>(-hx, -hy, -hz)), VT_Pos(Vector3<float>(hx, -hy, -hz)),
        VT_Pos(Vector3<float>(hx, hy, -hz)),  VT_Pos(Vector3<float>(-hx, hy, -hz)),
    };
    // Counter-clockwise seen from outside.
    const std::uint8_t indices[36] = {
        0, 1, 2, 0, 2, 3, // z = +hz
        4, 6, 5, 4, 7, 6, // z = -hz
        0, 3, 7, 0, 7, 4, // x = -hx
        1, 5, 6, 1, 6, 2, // x = +hx
        2, 7, 3, 2, 6, 7, // y = +hy
        0, 5, 1, 0, 4, 5, // y = -hy
    };

    CreateIndexed(mesh, vertices, 8, sizeof(VT_Pos), VT_Pos::GetFormat(), indices, 36,
                  Vector3<float>(hx, hy, hz).Length());
}

void MeshBuilder::CreatePlane(TriangleMesh* mesh, float width, float height)
{
    const float hw = width / 2.0f;
    const float hh = height / 2.0f;
    // The quad lies in z = 0 with counter-clockwise triangles seen from +z,
    // so that is where it faces.
    const Vector3<float> normal(0.0f, 0.0f, 1.0f);

    const VT_PosNorTex vertices[4] = {
        VT_PosNorTex(Vector3<float>(-hw, -hh, 0.0f), normal, Vector2(0.0f, 0.0f)),
        VT_PosNorTex(Vector3<float>(hw, -hh, 0.0f), normal, Vector2(1.0f, 0.0f)),
        VT_PosNorTex(Vector3<float>(hw, hh, 0.0f), normal, Vector2(1.0f, 1.0f)),
        VT_PosNorTex(Vector3<float>(-hw, hh, 0.0f), normal, Vector2(0.0f, 1.0f)),
    };
    const std::uint8_t indices[6] = { 0, 1, 2, 0, 2, 3 };

    CreateIndexed(mesh, vertices, 4, sizeof(VT_PosNorTex), VT_PosNorTex::GetFormat(), indices, 6,
                  Vector2(hw, hh).Length());
}

} // namespace Vorm
