// The terrain the demo's world scene builds, for the tests and benchmarks
// that draw it from the shipped data/texture images.
#ifndef VORM_TESTS_DEMOTERRAIN_H
#define VORM_TESTS_DEMOTERRAIN_H

#include "Core/Terrain/base/Terrain.h"
#include "Core/Terrain/base/TerrainDesc.h"

// The terrain's side in world units; it is centred on the origin.
const float kDemoTerrainSize = 600.0f;

inline Vorm::TerrainDesc DemoTerrainDesc()
{
    Vorm::TerrainDesc desc;
    desc.SetCells(12, 12, 12, 12);
    desc.SetSize(kDemoTerrainSize, kDemoTerrainSize);
    desc.SetHeightMap("tHeight.png", 60.0f);
    desc.SetColorMap("tColor.png");
    desc.SetCoverageMap("tCoverage.png");
    return desc;
}

// The ground height of a terrain made from DemoTerrainDesc at world (x, z).
inline float DemoGroundAt(const Vorm::Terrain& terrain, float x, float z)
{
    return terrain.GetHeightAt(x / kDemoTerrainSize + 0.5f, z / kDemoTerrainSize + 0.5f);
}

#endif
