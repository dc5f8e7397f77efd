// MaterialGenerator: tileable surface textures for the scene meshes.
// Rock, bark, leaves, wood, stone, ground, thatch and lake floor, in one earthy palette.
#pragma once
#include <string>

#include "Image.h"

namespace assetgen {

class MaterialGenerator {
public:
    static constexpr int kSize = 256;
    static Image rock();
    static Image bark();
    static Image leaves();
    static Image wood();
    static Image stone();
    static Image ground();
    static Image roof();
    static Image waterFloor();
};

} // namespace assetgen
