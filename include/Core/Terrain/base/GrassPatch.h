#ifndef VORM_CORE_TERRAIN_BASE_GRASSPATCH_H
#define VORM_CORE_TERRAIN_BASE_GRASSPATCH_H

// Many grass clumps as one indexed triangle list: every clump is an upright
// quad whose four corners share an anchor; the grass program stands it up.
#include "Core/Math/Vector3.h"
#include "Core/Math/Vector4.h"
#include "Core/Scenegraph/Geometry.h"
#include "Core/Terrain/base/GrassVertexData.h"

#include <utility>
#include <vector>

namespace Vorm {

class GrassPatch : public Geometry
{
public:
    // Width and height of the unscaled clump kinds, in world units.
    static constexpr float kBaseSize = 15.0f;

    GrassPatch();
    virtual ~GrassPatch();

    virtual BoundingVolume* OnCreateLocalBound();

    std::vector<std::pair<Vector3<float>*, unsigned int> >& GetSortPairs() { return m_sortPairs; }
    // Clumps added and not uploaded yet.
    const std::vector<GrassVertexData>& GetVertices() const { return m_vertices; }
    const std::vector<unsigned int>& GetIndices() const { return m_indices; }

    void AddClump(float du, float uBase, float dv, float vBase, float width, float height, const Vector3<float>& pos);
    void AddClumpQ0(const Vector3<float>& pos, float scale);
    void AddClumpQ1(const Vector3<float>& pos);
    void AddClumpQ2(const Vector3<float>& pos, float scale);
    void AddWideClumpQ2(const Vector3<float>& pos);
    void AddClumpFull(const Vector3<float>& pos);

    // Uploads the collected clumps and empties the lists. With no clumps the
    // buffers are made empty, so the patch always has an index buffer.
    void CreateBuffers();
    // Builds and uploads a patch of full-texture 5 x 5 clumps at the anchors,
    // replacing whatever an earlier call made.
    void CreateFromPositions(const std::vector<Vector3<float> >& positions);

private:
    GrassPatch(const GrassPatch&);
    GrassPatch& operator=(const GrassPatch&);

    void Upload(const std::vector<GrassVertexData>& vertices, const std::vector<unsigned int>& indices);
    void ReleaseBuffers();

    Vector3<float>* m_pClumpPositions;
    std::vector<std::pair<Vector3<float>*, unsigned int> > m_sortPairs;
    std::vector<GrassVertexData> m_vertices;
    std::vector<unsigned int> m_indices;
};

} // namespace Vorm

#endif
