#ifndef VORM_CORE_TERRAIN_BASE_NORMALGEOMETRY_H
#define VORM_CORE_TERRAIN_BASE_NORMALGEOMETRY_H

// Debug lines along the terrain's vertex normals: one short line per vertex,
// drawn as a plain line list.
#include "Core/Scenegraph/Geometry.h"

#include <cstdint>

namespace Vorm {

struct TerrainVertex;

class NormalGeometry : public Geometry
{
public:
    NormalGeometry();
    virtual ~NormalGeometry();

    void Create(const TerrainVertex* vertices, std::uint32_t count);

private:
    NormalGeometry(const NormalGeometry&);
    NormalGeometry& operator=(const NormalGeometry&);

    void ReleaseBuffers();
};

} // namespace Vorm

#endif
