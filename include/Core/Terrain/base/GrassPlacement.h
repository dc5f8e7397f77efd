#ifndef VORM_CORE_TERRAIN_BASE_GRASSPLACEMENT_H
#define VORM_CORE_TERRAIN_BASE_GRASSPLACEMENT_H

// Grass placement from a coverage image: the image is sampled on a fixed
// 300 x 300 grid and each sample's colour decides which clumps go where.
#include <cstdint>

namespace Vorm {

class GrassPatch;
class GrassRandom;
class Image;
class Terrain;

class GrassPlacement
{
public:
    static constexpr std::uint32_t kSamplesX = 300;
    static constexpr std::uint32_t kSamplesY = 300;

    // Adds the clumps of the coverage image to the patch, on the terrain's
    // surface; does not upload. An empty image places nothing.
    static void Place(const Terrain& terrain, const Image& coverage, GrassPatch& patch, GrassRandom& random);
};

} // namespace Vorm

#endif
