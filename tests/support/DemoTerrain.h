// The terrain the demo's world scene builds, for the tests and benchmarks
// that draw it from the shipped data/texture images.
#ifndef VORM_TESTS_DEMOTERRAIN_H
#define VORM_TESTS_DEMOTERRAIN_H

#include "Core/Terrain/base/TerrainDesc.h"

inline Vorm::TerrainDesc DemoTerrainDesc()
{
    Vorm::TerrainDesc desc;
    desc.SetCells(12, 12, 12, 12);
    desc.SetSize(600.0f, 600.0f);
    desc.SetHeightMap("tHeight.png", 60.0f);
    desc.SetColorMap("tColor.png");
    desc.SetCoverageMap("tCoverage.png");
    return desc;
}

#endif
