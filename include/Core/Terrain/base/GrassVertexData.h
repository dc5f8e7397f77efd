#ifndef VORM_CORE_TERRAIN_BASE_GRASSVERTEXDATA_H
#define VORM_CORE_TERRAIN_BASE_GRASSVERTEXDATA_H

// One corner of a grass clump: the clump's anchor on the ground and the
// corner's offset inside the clump with its texture coordinate.
#include "Core/Math/Vector3.h"
#include "Core/Math/Vector4.h"
#include "Core/Rendering/VertexFormat.h"

namespace Vorm {

struct GrassVertexData
{
    GrassVertexData() : pos(0.0f, 0.0f, 0.0f), sc2_tx2(0.0f, 0.0f, 0.0f, 0.0f) {}
    GrassVertexData(const Vector3<float>& pos_, const Vector4<float>& sc2_tx2_) : pos(pos_), sc2_tx2(sc2_tx2_) {}

    // The patch's buffer layout: "pos" three floats, "sc2_tx2" four.
    static VertexFormat GetFormat();

    Vector3<float> pos;      // "pos": the anchor, the same for all four corners
    Vector4<float> sc2_tx2;  // "sc2_tx2": sideways offset, height, u, v
};

static_assert(sizeof(GrassVertexData) == 28, "grass vertex stride");

} // namespace Vorm

#endif
