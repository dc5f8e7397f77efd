// TerrainField: the landscape's height as a smooth function of world x and z.
// The height, colour and coverage maps all sample it, so they line up exactly.
#pragma once

namespace assetgen {

class TerrainField {
public:
    // World extent (600 x 600 centred on the origin) and the engine's height scale.
    static constexpr double kWorldSize = 600.0;
    static constexpr double kHeightScale = 60.0;
    // The engine reads every 7th pixel of the 1024-pixel height map: pixel 1008 is the far edge.
    static constexpr int kHeightMapSize = 1024;
    static constexpr double kHeightMapSpan = 1008.0;

    // Height in world units at world (x, z), before quantisation.
    static double height(double x, double z);
    // Steepness: length of the height gradient (rise per unit run).
    static double slope(double x, double z);

    // World position of height-map pixel p (row 0 / column 0 at -300).
    static double heightPixelToWorld(double p) { return -kWorldSize / 2 + p * kWorldSize / kHeightMapSpan; }
    // Red value of the height map for a height.
    static int heightToRed(double h);
};

} // namespace assetgen
