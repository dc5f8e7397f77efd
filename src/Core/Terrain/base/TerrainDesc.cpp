// Creation parameters of a terrain with their defaults: 20 x 20 units,
// 2 x 2 cells of 8 x 8 quads, no images.
#include "Core/Terrain/base/TerrainDesc.h"

namespace Vorm {

TerrainDesc::TerrainDesc()
    : width(20.0f), depth(20.0f), heightScale(1.0f), cellsX(2), cellsZ(2), quadsPerCellX(8), quadsPerCellZ(8),
      debugNormals(false)
{
}

void TerrainDesc::SetCells(std::uint32_t cellsX_, std::uint32_t cellsZ_, std::uint32_t quadsX, std::uint32_t quadsZ)
{
    cellsX = cellsX_;
    cellsZ = cellsZ_;
    quadsPerCellX = quadsX;
    quadsPerCellZ = quadsZ;
}

void TerrainDesc::SetSize(float width_, float depth_)
{
    width = width_;
    depth = depth_;
}

void TerrainDesc::SetHeightMap(const std::string& file, float heightScale_)
{
    heightMap = file;
    heightScale = heightScale_;
}

void TerrainDesc::SetColorMap(const std::string& file)
{
    colorMap = file;
}

void TerrainDesc::SetCoverageMap(const std::string& file)
{
    coverageMap = file;
}

TerrainDesc& TerrainDesc::SetDebugNormals(bool on)
{
    debugNormals = on;
    return *this;
}

} // namespace Vorm
