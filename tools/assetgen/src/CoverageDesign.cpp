#include "CoverageDesign.h"

#include "Noise.h"
#include "TerrainField.h"

namespace assetgen {

constexpr unsigned char CoverageDesign::kRed[3];
constexpr unsigned char CoverageDesign::kGreen[3];
constexpr unsigned char CoverageDesign::kSparse[3];
constexpr unsigned char CoverageDesign::kNone[3];

namespace {

const uint32_t kCoverageSeed = 0x6A55u;

// Dense meadow grass: only on gentle ground between these heights. The lower bound keeps
// clumps (jittered up to 6 units, 7.5 wide) clear of the water line at height 0.
const double kMeadowMinHeight = 3.5;
const double kMeadowMaxHeight = 32.0;
const double kMeadowMaxSlope = 0.38;
// Patch noise above this threshold is a meadow patch; higher is the lush red core.
const double kMeadowPatchThreshold = -0.06;
const double kRedCoreThreshold = 0.20;
// Sparse grass: a little wider band of heights and slopes, in its own noise patches.
const double kSparseMinHeight = 2.5;
const double kSparseMaxHeight = 36.0;
const double kSparseMaxSlope = 0.50;
const double kSparsePatchThreshold = 0.05;
// Sparse grass also rings the meadows: patch noise this far below the meadow threshold.
const double kSparseHaloWidth = 0.06;
// Feature size of the patches, in world units.
const double kPatchScale = 55.0;

} // namespace

CoverageDesign::Kind CoverageDesign::kindAt(double x, double z)
{
    const double h = TerrainField::height(x, z);
    const double s = TerrainField::slope(x, z);
    double patch = Noise::fbm2(x / kPatchScale, z / kPatchScale, 0, 3, kCoverageSeed);
    double sparsePatch = Noise::fbm2(x / kPatchScale + 31.0, z / kPatchScale - 17.0, 0, 3,
                                     kCoverageSeed + 3u);

    // Meadows favour low ground near the water: patches are easier to form there.
    double lowBonus = 0.12 * (1.0 - smoothstep(kMeadowMinHeight, kMeadowMaxHeight, h));
    bool meadowGround = h > kMeadowMinHeight && h < kMeadowMaxHeight && s < kMeadowMaxSlope;
    if (meadowGround && patch + lowBonus > kRedCoreThreshold) return Kind::Red;
    if (meadowGround && patch + lowBonus > kMeadowPatchThreshold) return Kind::Green;

    bool sparseGround = h > kSparseMinHeight && h < kSparseMaxHeight && s < kSparseMaxSlope;
    if (sparseGround && (sparsePatch > kSparsePatchThreshold || patch > kMeadowPatchThreshold - kSparseHaloWidth))
        return Kind::Sparse;
    return Kind::None;
}

Image CoverageDesign::coverage()
{
    Image img(kSize, kSize, 3);
    const double size = TerrainField::kWorldSize;
    for (int y = 0; y < kSize; ++y) {
        double z = -size / 2 + y * size / (kSize - 1);
        for (int x = 0; x < kSize; ++x) {
            double wx = -size / 2 + x * size / (kSize - 1);
            const unsigned char* c = kNone;
            switch (kindAt(wx, z)) {
            case Kind::Red: c = kRed; break;
            case Kind::Green: c = kGreen; break;
            case Kind::Sparse: c = kSparse; break;
            case Kind::None: break;
            }
            uint8_t* p = img.pixel(x, y);
            p[0] = c[0]; p[1] = c[1]; p[2] = c[2];
        }
    }
    return img;
}

CoverageStats CoverageDesign::analyse(const Image& img)
{
    // Mirrors the engine's sampling: a 300 x 300 grid, per-column counters, the colour rules
    // and the number of clumps each accepted sample adds.
    const int n = 300, m = 300;
    const int w = img.width(), h = img.height();
    long red = 0, green = 0, other = 0, none = 0, clumps = 0;
    for (int i = 0; i < n; ++i) {
        int redCount = 0, greenCount = 0, otherCount = 0;
        for (int j = 0; j < m; ++j) {
            int x = static_cast<int>(static_cast<double>(w - 1) / (n - 1) * i);
            int y = static_cast<int>(static_cast<double>(h - 1) / (m - 1) * j);
            const uint8_t* p = img.pixel(x, y);
            int r = p[0], g = p[1], b = img.channels() >= 3 ? p[2] : 0;
            if (r <= 0 || g <= 0 || b <= 0) { ++none; continue; }
            if (r > 100 && g < 100 && b < 100) {
                ++red;
                ++redCount;
                clumps += 1;
                if (redCount % 20 == 0) clumps += 5;
            } else if (g > 100 && b < 100) {
                ++green;
                ++greenCount;
                clumps += 1;
            } else {
                ++other;
                ++otherCount;
                if (otherCount % 3 != 0) continue;
                if (otherCount % 5 == 1) clumps += 1;
                else clumps += (otherCount % 10 == 0) ? 2 : 1;
            }
        }
    }
    const double total = static_cast<double>(n) * m;
    CoverageStats s;
    s.redFraction = red / total;
    s.greenFraction = green / total;
    s.otherFraction = other / total;
    s.noneFraction = none / total;
    s.clumps = clumps;
    return s;
}

} // namespace assetgen
