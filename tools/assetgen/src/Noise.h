// Noise: hashed gradient noise (2D periodic, 3D), fractal sums and cellular noise.
// Our own implementation so every run and every machine gives the same values.
#pragma once
#include <cstdint>

namespace assetgen {

struct CellDistances {
    double f1;  // distance to the nearest feature point
    double f2;  // distance to the second nearest
    uint32_t id; // hash of the nearest cell, for per-cell colour
};

class Noise {
public:
    static uint32_t hash(int x, int y, int z, uint32_t seed);

    // Gradient noise in about [-1, 1]; repeats every period cells along x and y.
    static double gradient2(double x, double y, int periodX, int periodY, uint32_t seed);
    // Fractal sum of gradient2; the period doubles with each octave so the sum tiles too.
    static double fbm2(double x, double y, int period, int octaves, uint32_t seed,
                       double gain = 0.5);
    // Same with separate periods along x and y.
    static double fbm2xy(double x, double y, int periodX, int periodY, int octaves,
                         uint32_t seed, double gain = 0.5);

    // Gradient noise in 3D (not periodic), about [-1, 1].
    static double gradient3(double x, double y, double z, uint32_t seed);
    static double fbm3(double x, double y, double z, int octaves, uint32_t seed,
                       double gain = 0.5);

    // Cellular (Worley) distances, one jittered point per cell, periodic.
    static CellDistances cellular2(double x, double y, int periodX, int periodY, uint32_t seed);
};

} // namespace assetgen
