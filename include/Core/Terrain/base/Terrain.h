#ifndef VORM_CORE_TERRAIN_BASE_TERRAIN_H
#define VORM_CORE_TERRAIN_BASE_TERRAIN_H

// Height-map terrain: a vertex grid over the x-z plane lifted by a height
// image, drawn in culled cells with one material, carrying the landscape's grass.
#include "Core/Scenegraph/Node.h"
#include "Core/Terrain/base/GrassPatch.h"
#include "Core/Terrain/base/TerrainDesc.h"
#include "Core/Terrain/base/TerrainVertex.h"

#include <boost/shared_ptr.hpp>

#include <cstdint>
#include <vector>

namespace Vorm {

class IMaterialEffect;
class IVertexBuffer;
class Image;
class NormalGeometry;

class Terrain : public Node
{
public:
    Terrain();
    virtual ~Terrain();

    // Builds grid, heights, normals, buffers, cells, material and grass.
    // A description without a cell or a quad per cell in either direction
    // is refused with a message and builds nothing.
    void Create(const TerrainDesc& desc);

    // Surface point at normalised grid coordinates (0..1 spans the grid;
    // coordinates outside are clamped to the border).
    TerrainVertex GetVertexAt(float u, float v) const;
    float GetHeightAt(float u, float v) const;

    void SetDrawNormals(bool on);
    bool GetDrawNormals() const { return m_bDrawNormals; }

    std::uint32_t GetVertexIndex(std::uint32_t i, std::uint32_t j) const { return m_vertsZ * i + j; }
    std::uint32_t GetVertsX() const { return m_vertsX; }
    std::uint32_t GetVertsZ() const { return m_vertsZ; }
    const std::vector<TerrainVertex>& GetVertices() const { return m_vertices; }
    const TerrainDesc& GetDesc() const { return m_desc; }
    IVertexBuffer* GetVertexBuffer() const { return m_pVertexBuffer; }
    NormalGeometry* GetNormalGeometry() const { return m_pNormalGeometry; }

    boost::shared_ptr<IMaterialEffect> GetMaterialEffect() const { return m_spMaterial; }
    GrassPatch& GetGrassPatch() { return m_grass; }

private:
    Terrain(const Terrain&);
    Terrain& operator=(const Terrain&);

    // Lookup cell and offsets of (u, v), clamped to the grid.
    void Locate(float u, float v, std::uint32_t& i, std::uint32_t& j, float& a, float& b) const;
    // Names a height map that is stretched over the grid or that whole steps
    // read only part of.
    void ReportMapSize(const Image& image) const;
    void SampleHeights(const Image& image);
    void ComputeNormals();
    void CreateCells(float startX, float startZ);
    void CreateMaterial();

    std::uint32_t m_vertsX;
    std::uint32_t m_vertsZ;
    bool m_bDrawNormals;
    TerrainDesc m_desc;
    IVertexBuffer* m_pVertexBuffer;
    NormalGeometry* m_pNormalGeometry;
    std::vector<TerrainVertex> m_vertices;
    boost::shared_ptr<IMaterialEffect> m_spMaterial;
    GrassPatch m_grass;
};

} // namespace Vorm

#endif
