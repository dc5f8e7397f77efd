// The grass vertex's buffer layout, built where the patch uploads and where
// the grass effect checks its program's inputs.
#include "Core/Terrain/base/GrassVertexData.h"

namespace Vorm {

VertexFormat GrassVertexData::GetFormat()
{
    VertexFormat format;
    format.AddAttribute("pos", eDataFormat_FLOAT3, 1);
    format.AddAttribute("sc2_tx2", eDataFormat_FLOAT4, 1);
    return format;
}

} // namespace Vorm
