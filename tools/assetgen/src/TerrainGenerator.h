// TerrainGenerator: writes the terrain's height map and its colour map.
// Both follow TerrainField; the colour map is laid out so it lands on the same hills.
#pragma once
#include "Image.h"

namespace assetgen {

class TerrainGenerator {
public:
    // 1024 x 1024 grey: red = 128 + height / 60 * 128. Row 0 is z = -300, column 0 is x = -300,
    // pixel p at -300 + p * 600 / 1008 (the engine reads pixels 0, 7, ... 1008).
    static Image heightMap();
    // 1024 x 1024 RGB: the terrain texture. The engine loads it with a lower-left origin and
    // uses v = 1 - (z + 300) / 600, so image row 0 (top) is z = -300 here too; pixel
    // (c, r) shows world (-300 + (c + 0.5) * 600 / 1024, -300 + (r + 0.5) * 600 / 1024).
    static Image colorMap();
    static constexpr int kColorMapSize = 1024;
};

} // namespace assetgen
