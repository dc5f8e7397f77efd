// CoverageDesign: where the grass grows, as the terrain's coverage image.
// One function holds the whole design with named constants so it can be retuned in one place.
#pragma once
#include "Image.h"

namespace assetgen {

struct CoverageStats {
    double redFraction = 0, greenFraction = 0, otherFraction = 0, noneFraction = 0;
    long clumps = 0;         // clumps the engine's placement rules make from the image
};

class CoverageDesign {
public:
    // 300 x 300: the engine samples a 300 x 300 grid, so every pixel is read exactly once.
    // Pixel (x, y) is world (-300 + x * 600 / 299, -300 + y * 600 / 299).
    static constexpr int kSize = 300;

    // Pixel colours. Each satisfies exactly one of the engine's classification rules.
    static constexpr unsigned char kRed[3] = {200, 60, 50};       // dense grass + tall groups
    static constexpr unsigned char kGreen[3] = {60, 200, 50};     // dense grass, some wide tufts
    static constexpr unsigned char kSparse[3] = {120, 120, 120};  // "other": sparse grass
    static constexpr unsigned char kNone[3] = {0, 0, 0};          // no grass

    enum class Kind { None, Sparse, Green, Red };
    // The design: which kind grows at world (x, z).
    static Kind kindAt(double x, double z);

    static Image coverage();
    // Counts the samples per kind and the clumps the placement rules produce.
    static CoverageStats analyse(const Image& coverage);
};

} // namespace assetgen
