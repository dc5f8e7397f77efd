// GrassGenerator: the grass clump atlas (four clumps, RGBA) and the grass noise texture.
// Quadrants are laid out for a texture loaded with lower-left origin (v = 0 at the bottom).
#pragma once
#include "Image.h"

namespace assetgen {

class GrassGenerator {
public:
    // 512 x 512 RGBA, row 0 = top of the picture. Picture quadrants, blades standing upright:
    //   top-left     (u 0..0.5, v 0.5..1): tall grass and reeds
    //   top-right    (u 0.5..1, v 0.5..1): golden seed-head grass
    //   bottom-left  (u 0..0.5, v 0..0.5): a medium clump
    //   bottom-right (u 0.5..1, v 0..0.5): grass with wildflowers, spread wide
    // Blade bases sit on the bottom edge of each quadrant (v = vBase).
    static Image clumps();
    // 256 x 256 grey tileable noise.
    static Image clumpNoise();

    static constexpr int kAtlasSize = 512;
};

} // namespace assetgen
