// Serpentine triangle strips over column-major vertex grids, one for a whole
// grid or one per cell, joined across rows by repeated indices.
#include "Core/Terrain/base/GridStrips.h"

#include "Core/Memory/MemTracker.h"

#include <cstddef>
#include <limits>

namespace Vorm {

std::int32_t BuildGridStrip(unsigned int** indices, std::uint32_t width, std::uint32_t height)
{
    if (*indices) {
        VORM_DELETE[] *indices;
        *indices = nullptr;
    }
    // Without a quad there is no index to repeat at the turn.
    if (width == 0 || height < 2)
        return -1;

    const std::size_t perRow = 2 * std::size_t(width) + 1;
    std::size_t count = 0;
    std::size_t bytes = 0;
    if (__builtin_mul_overflow(perRow, std::size_t(height - 1), &count) ||
        __builtin_mul_overflow(count, sizeof(unsigned int), &bytes))
        bytes = std::numeric_limits<std::size_t>::max();
    unsigned int* out = VORM_NEW unsigned int[bytes / sizeof(unsigned int)];
    *indices = out;

    std::size_t k = 0;
    for (std::uint32_t r = 0; r + 1 < height; ++r) {
        for (std::uint32_t n = 0; n < width; ++n) {
            const std::uint32_t c = (r % 2 == 0) ? n : width - 1 - n;
            out[k++] = c * height + r;
            out[k++] = c * height + r + 1;
        }
        out[k] = out[k - 1];
        ++k;
    }
    return static_cast<std::int32_t>(k - 1);
}

void BuildCellStrips(std::vector<std::vector<std::vector<unsigned int> > >& out, std::uint32_t quadsX,
                     std::uint32_t quadsZ, std::uint32_t cellsX, std::uint32_t cellsZ)
{
    const std::uint32_t vertsZ = cellsZ * quadsZ + 1;
    const bool hasQuads = quadsX > 0 && quadsZ > 0;
    for (std::uint32_t cx = 0; cx < cellsX; ++cx) {
        out.push_back(std::vector<std::vector<unsigned int> >());
        std::vector<std::vector<unsigned int> >& column = out.back();
        for (std::uint32_t cz = 0; cz < cellsZ; ++cz) {
            column.push_back(std::vector<unsigned int>());
            // A cell without quads has no strip, and no last index to drop.
            if (!hasQuads)
                continue;
            std::vector<unsigned int>& strip = column.back();
            strip.reserve(std::size_t(quadsZ) * (2 * quadsX + 3));
            const std::uint32_t base = cx * quadsX * vertsZ + cz * quadsZ;
            for (std::uint32_t r = 0; r < quadsZ; ++r) {
                for (std::uint32_t n = 0; n <= quadsX; ++n) {
                    const std::uint32_t c = (r % 2 == 0) ? n : quadsX - n;
                    strip.push_back(base + c * vertsZ + r);
                    strip.push_back(base + c * vertsZ + r + 1);
                }
                strip.push_back(strip.back());
            }
            strip.pop_back();
        }
    }
}

} // namespace Vorm
