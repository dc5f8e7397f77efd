#ifndef VORM_CORE_TERRAIN_BASE_GRIDSTRIPS_H
#define VORM_CORE_TERRAIN_BASE_GRIDSTRIPS_H

// Triangle-strip index lists over a vertex grid stored column by column
// (vertex (c, r) is c * rows + r); every real triangle faces +y.
#include <cstdint>
#include <vector>

namespace Vorm {

// One strip over the whole grid of width columns and height rows, in a
// tracked new[] array stored in *indices (an array already there is released
// first). Returns the entries written minus one; a grid without a quad
// (width 0 or height below 2) gets no array and returns -1.
std::int32_t BuildGridStrip(unsigned int** indices, std::uint32_t width, std::uint32_t height);

// One strip per cell, appended to out as out[cx][cz]; neighbouring cells
// share their border vertices. Cells without quads get empty lists.
void BuildCellStrips(std::vector<std::vector<std::vector<unsigned int> > >& out, std::uint32_t quadsX,
                     std::uint32_t quadsZ, std::uint32_t cellsX, std::uint32_t cellsZ);

} // namespace Vorm

#endif
