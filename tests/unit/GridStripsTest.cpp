#include "Core/Memory/MemTracker.h"
#include "Core/Terrain/base/GridStrips.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <set>
#include <vector>

namespace {

typedef std::vector<unsigned int> Strip;
typedef std::vector<std::vector<Strip> > Cells;

Cells CellStrips(std::uint32_t qx, std::uint32_t qz, std::uint32_t cx, std::uint32_t cz)
{
    Cells out;
    Vorm::BuildCellStrips(out, qx, qz, cx, cz);
    return out;
}

// Signed area (times two) of every non-degenerate strip triangle as seen from
// +y: the y of its normal, with x growing with the column and z with the
// row, after the strip's usual alternation. Positive is counter-clockwise
// seen from above (x right, z down the view).
std::vector<float> UpFacing(const Strip& strip, std::uint32_t rows)
{
    std::vector<float> normalsY;
    for (size_t k = 2; k < strip.size(); ++k) {
        unsigned int a = strip[k - 2], b = strip[k - 1], c = strip[k];
        if (a == b || b == c || a == c)
            continue;
        if (k % 2 == 1)
            std::swap(a, b);
        const float ax = float(a / rows), az = float(a % rows);
        const float bx = float(b / rows), bz = float(b % rows);
        const float cx = float(c / rows), cz = float(c % rows);
        // y of (b - a) x (c - a)
        normalsY.push_back((bz - az) * (cx - ax) - (bx - ax) * (cz - az));
    }
    return normalsY;
}

typedef std::set<std::array<unsigned int, 3> > Triangles;

// Adds the strip's non-degenerate triangles to `out` as sorted index triples.
void AddTriangles(const Strip& strip, Triangles& out)
{
    for (size_t k = 2; k < strip.size(); ++k) {
        std::array<unsigned int, 3> t = {strip[k - 2], strip[k - 1], strip[k]};
        if (t[0] == t[1] || t[1] == t[2] || t[0] == t[2])
            continue;
        std::sort(t.begin(), t.end());
        out.insert(t);
    }
}

TEST(GridStripsTest, GridStripOfTwoByThreeVertices)
{
    unsigned int* indices = nullptr;
    EXPECT_EQ(9, Vorm::BuildGridStrip(&indices, 2, 3));
    ASSERT_TRUE(indices);
    EXPECT_EQ((Strip{0, 1, 3, 4, 4, 4, 5, 1, 2, 2}), Strip(indices, indices + 10));
    // A second build releases the first array and makes a new one.
    EXPECT_EQ(2, Vorm::BuildGridStrip(&indices, 1, 2));
    EXPECT_EQ((Strip{0, 1, 1}), Strip(indices, indices + 3));
    VORM_DELETE[] indices;
}

TEST(GridStripsTest, GridWithoutQuadsGetsNoArray)
{
    const std::uint32_t sizes[][2] = {{0, 3}, {3, 1}, {3, 0}, {0, 0}};
    for (const auto& size : sizes) {
        unsigned int* indices = nullptr;
        Vorm::BuildGridStrip(&indices, 2, 2);
        EXPECT_EQ(-1, Vorm::BuildGridStrip(&indices, size[0], size[1])) << size[0] << " x " << size[1];
        EXPECT_EQ(nullptr, indices);
    }
}

TEST(GridStripsTest, CellStripsOfSmallGrids)
{
    EXPECT_EQ((Cells{{{0, 1, 2, 3}}}), CellStrips(1, 1, 1, 1));
    EXPECT_EQ((Cells{{{0, 1, 3, 4, 6, 7, 7, 7, 8, 4, 5, 1, 2}}}), CellStrips(2, 2, 1, 1));
    EXPECT_EQ((Cells{{{0, 1, 2, 3}}, {{2, 3, 4, 5}}}), CellStrips(1, 1, 2, 1));
    EXPECT_EQ((Cells{{{0, 1, 3, 4}, {1, 2, 4, 5}}}), CellStrips(1, 1, 1, 2));
}

TEST(GridStripsTest, CellStripLengthsOfTheDemoAndDefaultCells)
{
    const Cells demo = CellStrips(12, 12, 12, 12);
    ASSERT_EQ(12u, demo.size());
    for (const auto& column : demo) {
        ASSERT_EQ(12u, column.size());
        for (const Strip& strip : column)
            EXPECT_EQ(323u, strip.size());
    }
    EXPECT_EQ(151u, CellStrips(8, 8, 2, 2)[1][1].size());
}

TEST(GridStripsTest, EveryTriangleFacesUpAndEachQuadIsCoveredOnce)
{
    // Odd and even quad counts, several cells, both builders.
    const std::uint32_t shapes[][4] = {{1, 1, 1, 1}, {2, 3, 1, 1}, {3, 2, 2, 3}, {4, 4, 3, 2}};
    for (const auto& s : shapes) {
        const std::uint32_t rows = s[3] * s[1] + 1;
        const Cells cells = CellStrips(s[0], s[1], s[2], s[3]);
        size_t triangles = 0;
        Triangles distinct;
        for (const auto& column : cells)
            for (const Strip& strip : column) {
                for (float y : UpFacing(strip, rows)) {
                    EXPECT_GT(y, 0.0f) << s[0] << " " << s[1] << " " << s[2] << " " << s[3];
                    ++triangles;
                }
                AddTriangles(strip, distinct);
            }
        EXPECT_EQ(2u * s[0] * s[1] * s[2] * s[3], triangles);
        // No triangle twice, so the right count means every quad is covered.
        EXPECT_EQ(triangles, distinct.size());

        const std::uint32_t width = s[2] * s[0] + 1;
        unsigned int* indices = nullptr;
        const std::int32_t last = Vorm::BuildGridStrip(&indices, width, rows);
        const Strip whole(indices, indices + last + 1);
        VORM_DELETE[] indices;
        const std::vector<float> faces = UpFacing(whole, rows);
        EXPECT_EQ(2u * (width - 1) * (rows - 1), faces.size());
        Triangles wholeDistinct;
        AddTriangles(whole, wholeDistinct);
        EXPECT_EQ(faces.size(), wholeDistinct.size());
        for (float y : faces)
            EXPECT_GT(y, 0.0f);
    }
}

TEST(GridStripsTest, CellsWithoutQuadsGetEmptyStrips)
{
    EXPECT_EQ((Cells{{Strip(), Strip()}}), CellStrips(0, 2, 1, 2));
    EXPECT_EQ((Cells{{Strip()}, {Strip()}}), CellStrips(3, 0, 2, 1));
    EXPECT_TRUE(CellStrips(2, 2, 0, 3).empty());
}

} // namespace
