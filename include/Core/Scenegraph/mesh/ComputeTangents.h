#ifndef VORM_CORE_SCENEGRAPH_MESH_COMPUTETANGENTS_H
#define VORM_CORE_SCENEGRAPH_MESH_COMPUTETANGENTS_H

#include "Core/Rendering/VertexTypes.h"

#include <cstdint>
#include <vector>

namespace Vorm {

// Per-vertex tangents of an indexed triangle list: the u direction of each
// triangle, summed over the triangles that share a vertex, made orthogonal
// to the vertex normal and normalised. Tangents must be zero on entry.
// Triangles with an index past the vertex list, or whose texture
// coordinates span no area, contribute nothing.
void ComputeTangents(std::vector<VT_PosNorTexTan>& vertices, const std::vector<std::uint32_t>& indices);

} // namespace Vorm

#endif
