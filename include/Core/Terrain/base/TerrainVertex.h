#ifndef VORM_CORE_TERRAIN_BASE_TERRAINVERTEX_H
#define VORM_CORE_TERRAIN_BASE_TERRAINVERTEX_H

// One vertex of the terrain grid, laid out as the VT_PosNorTexTan format
// (position, normal, texture coordinate, tangent; 44 bytes).
#include "Core/Math/Vector2.h"
#include "Core/Math/Vector3.h"
#include "Core/Rendering/VertexFormat.h"

namespace Vorm {

struct TerrainVertex
{
    TerrainVertex() : pos(0.0f, 0.0f, 0.0f), normal(0.0f, 1.0f, 0.0f), tex0(0.0f, 0.0f), tangent(0.0f, 0.0f, 0.0f) {}
    // tex0 and tangent start at zero so no undefined bytes reach the GPU.
    TerrainVertex(const Vector3<float>& pos_, const Vector3<float>& normal_)
        : pos(pos_), normal(normal_), tex0(0.0f, 0.0f), tangent(0.0f, 0.0f, 0.0f)
    {
    }

    static VertexFormat GetFormat();

    Vector3<float> pos;
    Vector3<float> normal;
    Vector2 tex0;
    Vector3<float> tangent;
};

static_assert(sizeof(TerrainVertex) == 44, "terrain vertex stride");

} // namespace Vorm

#endif
