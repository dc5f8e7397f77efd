// WaterRippleGenerator: a tileable ripple normal map for the water shader.
// RGB = normal (x, y around 128, z up in blue), built from periodic noise so it wraps.
#pragma once
#include "Image.h"

namespace assetgen {

class WaterRippleGenerator {
public:
    static Image ripples(int size);
    // The periodic ripple height field, u and v in [0, 1) (wraps at 1).
    static double height(double u, double v);
};

} // namespace assetgen
