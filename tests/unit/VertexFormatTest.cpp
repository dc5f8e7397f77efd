#include "Core/Rendering/DataFormat.h"
#include "Core/Rendering/VertexFormat.h"
#include "Core/Rendering/VertexTypes.h"

#include "AssertRecorder.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace {

using namespace Vorm;

// The lookup lists must be usable in constant expressions, so static vertex
// formats of any translation unit can read them during static initialisation.
static_assert(g_dataFormatComponentCount[eDataFormat_FLOAT3] == 3, "constant-initialised");
static_assert(g_dataFormatComponentSize[eDataFormat_DOUBLE1] == 8, "constant-initialised");
static_assert(g_dataFormatScalarFormat[eDataFormat_UINT4] == eDataFormat_UINT1, "constant-initialised");

static_assert(eDataFormat_UBYTE1 == 4 && eDataFormat_UINT1 == 12 && eDataFormat_FLOAT2 == 17 && eDataFormat_FLOAT4 == 19 &&
                  eDataFormat_DOUBLE4 == 23 && eDataFormat_NONE == 24, "numbering");

// The vertex records are packed floats.
static_assert(sizeof(VT_Pos) == 12 && sizeof(VT_PosNorTex) == 32 && sizeof(VT_PosNorTexTan) == 44, "");
static_assert(offsetof(VT_PosNorTexTan, tex0) == 24 && offsetof(VT_PosNorTexTan, tangent) == 32, "");

// Read during this unit's static initialisation, whatever the link order.
const VertexFormat g_earlyCopy = VT_PosNorTexTan::GetFormat();

TEST(DataFormat, SizesPerFormatAndNoneHasNoEntry)
{
    // Bytes of one component per scalar kind, in kind order.
    const std::size_t kindSize[6] = { sizeof(std::int8_t), sizeof(std::uint8_t), sizeof(std::int32_t),
                                      sizeof(std::uint32_t), sizeof(float), sizeof(double) };
    for (std::uint32_t kind = 0; kind < 6; ++kind)
    {
        for (std::uint32_t comps = 1; comps <= 4; ++comps)
        {
            const DataType t(static_cast<DataFormat>(4 * kind + comps - 1));
            EXPECT_EQ(t.GetComponentCount(), comps) << t.m_format;
            EXPECT_EQ(t.GetComponentSize(), kindSize[kind]) << t.m_format;
            EXPECT_EQ(t.GetComponentFormat(), static_cast<DataFormat>(4 * kind)) << t.m_format;
        }
    }

    AssertRecorder rec;
    const DataType none(eDataFormat_NONE);
    EXPECT_EQ(none.GetComponentCount(), 0);
    EXPECT_EQ(none.GetComponentSize(), 0);
    EXPECT_EQ(none.GetComponentFormat(), eDataFormat_NONE);
    EXPECT_EQ(rec.Failures().size(), 3u);
}

TEST(VertexTypes, FormatsMatchTheRecords)
{
    const VertexFormat pos = VT_Pos::GetFormat(), pnt = VT_PosNorTex::GetFormat();
    const VertexFormat pntt = VT_PosNorTexTan::GetFormat(), tt = VT_TexTan::GetFormat();
    const VertexFormat& pn = VT_PosNor::GetFormat();
    EXPECT_EQ(&pn, &VT_PosNor::GetFormat()); // the shared object itself
    const struct
    {
        const VertexFormat& format;
        std::size_t size, count;
        const char* name;
        std::size_t offset;
        DataFormat type;
    } attributes[] = {
        {pos, sizeof(VT_Pos), 1, "pos", offsetof(VT_Pos, pos), eDataFormat_FLOAT3},
        {pnt, sizeof(VT_PosNorTex), 3, "normal", offsetof(VT_PosNorTex, normal), eDataFormat_FLOAT3},
        {pnt, sizeof(VT_PosNorTex), 3, "tex0", offsetof(VT_PosNorTex, tex0), eDataFormat_FLOAT2},
        {pntt, sizeof(VT_PosNorTexTan), 4, "pos", 0, eDataFormat_FLOAT3},
        {pntt, sizeof(VT_PosNorTexTan), 4, "normal", 12, eDataFormat_FLOAT3},
        {pntt, sizeof(VT_PosNorTexTan), 4, "tex0", 24, eDataFormat_FLOAT2},
        {pntt, sizeof(VT_PosNorTexTan), 4, "tangent", 32, eDataFormat_FLOAT3},
        {pn, 24, 2, "pos", 0, eDataFormat_FLOAT3},
        {pn, 24, 2, "normal", 12, eDataFormat_FLOAT3},
        {tt, 20, 2, "tex0", 0, eDataFormat_FLOAT2},
        {tt, 20, 2, "tangent", 8, eDataFormat_FLOAT3},
        {g_earlyCopy, 44, 4, "tangent", 32, eDataFormat_FLOAT3},
    };
    for (const auto& e : attributes)
    {
        SCOPED_TRACE(&e - attributes);
        EXPECT_EQ(e.format.m_size, e.size);
        EXPECT_EQ(e.format.m_attributes.size(), e.count);
        const VertexAttribute* a = e.format.GetAttribute(e.name);
        ASSERT_NE(a, nullptr);
        EXPECT_EQ(a->m_offset, e.offset);
        EXPECT_EQ(a->m_stride, e.size);
        EXPECT_EQ(a->m_dataType.m_format, e.type);
        EXPECT_EQ(a->m_size, 1u);
        EXPECT_EQ(a->m_pData, nullptr);
    }
}

TEST(VertexTypes, NameMapIteratesByNameAndCopiesAreIndependent)
{
    VertexFormat copy = VT_PosNorTexTan::GetFormat();
    std::vector<std::string> names;
    for (const auto& entry : copy.m_attributes)
    {
        EXPECT_EQ(entry.first, entry.second.m_name);
        names.push_back(entry.first);
    }
    EXPECT_EQ(names, (std::vector<std::string>{ "normal", "pos", "tangent", "tex0" }));
    EXPECT_EQ(copy.GetAttribute("Pos"), nullptr);

    // As a vertex buffer does on upload: rewrite the base pointers of its copy.
    static const char data[4] = {};
    for (auto& entry : copy.m_attributes)
        entry.second.m_pData = data;
    copy.AddAttribute("sc2_tx2", eDataFormat_FLOAT2, 1);
    const VertexFormat fresh = VT_PosNorTexTan::GetFormat();
    EXPECT_EQ(fresh.m_size, 44u);
    EXPECT_EQ(fresh.GetAttribute("pos")->m_pData, nullptr);
    EXPECT_EQ(fresh.GetAttribute("sc2_tx2"), nullptr);
}

TEST(VertexFormat, AddPlacesAttributesInOrderOfAdding)
{
    VertexFormat f;
    EXPECT_EQ(f.m_size, 0u);
    f.AddAttribute("pos", eDataFormat_FLOAT3, 1);
    f.AddAttribute("sc2_tx2", eDataFormat_FLOAT4, 2);      // 2 x 4 floats
    EXPECT_EQ(f.m_size, 12u + 32u);
    EXPECT_EQ(f.GetAttribute("sc2_tx2")->m_offset, 12u);
    EXPECT_EQ(f.GetAttribute("sc2_tx2")->m_size, 2u);

    f.AddAttribute("color", eDataFormat_UBYTE4, 1);
    EXPECT_EQ(f.GetAttribute("color")->m_offset, 44u);     // added last, first by name
    EXPECT_EQ(f.m_size, 48u);

    // A second record under a present name: the first stays, the vertex grows anyway.
    VertexAttribute again("pos", eDataFormat_DOUBLE2, 1);
    f.Add(again);
    EXPECT_EQ(again.m_offset, 48u);                         // the argument was placed
    EXPECT_EQ(f.m_size, 64u);
    EXPECT_EQ(f.m_attributes.size(), 3u);
    const VertexAttribute* pos = f.GetAttribute("pos");
    EXPECT_EQ(pos->m_offset, 0u);
    EXPECT_EQ(pos->m_dataType.m_format, eDataFormat_FLOAT3);
    for (const auto& entry : f.m_attributes)
        EXPECT_EQ(entry.second.m_stride, 64u) << entry.first;
}

} // namespace
