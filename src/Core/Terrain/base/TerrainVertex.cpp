// The terrain vertex's buffer layout is the shared VT_PosNorTexTan format.
#include "Core/Terrain/base/TerrainVertex.h"

#include "Core/Rendering/VertexTypes.h"

namespace Vorm {

VertexFormat TerrainVertex::GetFormat()
{
    return VT_PosNorTexTan::GetFormat();
}

} // namespace Vorm
