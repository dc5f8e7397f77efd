#ifndef VORM_CORE_TERRAIN_BASE_TERRAINDESC_H
#define VORM_CORE_TERRAIN_BASE_TERRAINDESC_H

// Creation parameters of a terrain: extent, grid and cells, and the height,
// colour and grass-coverage image files.
#include <cstdint>
#include <string>

namespace Vorm {

struct TerrainDesc
{
    TerrainDesc();

    void SetCells(std::uint32_t cellsX_, std::uint32_t cellsZ_, std::uint32_t quadsX, std::uint32_t quadsZ);
    void SetSize(float width_, float depth_);
    void SetHeightMap(const std::string& file, float heightScale_);
    void SetColorMap(const std::string& file);
    void SetCoverageMap(const std::string& file);
    TerrainDesc& SetDebugNormals(bool on);

    float width;
    float depth;
    float heightScale;
    std::uint32_t cellsX;
    std::uint32_t cellsZ;
    std::uint32_t quadsPerCellX;
    std::uint32_t quadsPerCellZ;
    std::string heightMap;
    std::string colorMap;
    std::string coverageMap;
    bool debugNormals;
};

} // namespace Vorm

#endif
