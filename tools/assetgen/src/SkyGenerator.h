// SkyGenerator: paints the six faces of the bright-day sky cube map.
// Each pixel is computed from its view direction, so faces meet without seams.
#pragma once
#include <string>

#include "Image.h"
#include "Vec3.h"

namespace assetgen {

class SkyGenerator {
public:
    // Direction towards the sun: normalise(0.5, 0.45, -0.75), about 26.5 degrees above
    // the horizon, towards -z and +x. The scene's sun light should shine along -sunDirection().
    static Vec3 sunDirection();

    // face: "px", "py", "pz", "nx", "ny", "nz" (OpenGL cube-map faces, row 0 = top of the image).
    static Image face(const std::string& face, int size);
    // Direction of pixel (col, row) of a face, the standard OpenGL cube-map layout.
    static Vec3 direction(const std::string& face, int col, int row, int size);
    // Sky colour seen along a unit direction, 0..1 per channel.
    static Vec3 radiance(const Vec3& dir);
};

} // namespace assetgen
