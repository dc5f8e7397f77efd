#ifndef VORM_CORE_TERRAIN_BASE_TERRAINCELL_H
#define VORM_CORE_TERRAIN_BASE_TERRAINCELL_H

// One separately drawn and culled cell of a terrain: a triangle strip of its
// own over the terrain's shared vertex buffer.
#include "Core/Scenegraph/Geometry.h"

namespace Vorm {

class TerrainCell : public Geometry
{
public:
    // Takes over the index buffer; the vertex buffer stays the terrain's.
    TerrainCell(IVertexBuffer* sharedVertices, IIndexBuffer* indices);
    virtual ~TerrainCell();

private:
    TerrainCell(const TerrainCell&);
    TerrainCell& operator=(const TerrainCell&);
};

} // namespace Vorm

#endif
