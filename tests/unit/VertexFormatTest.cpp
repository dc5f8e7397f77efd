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

// Read during this unit's static initialisation, whatever the link order.
const VertexFormat g_earlyCopy = VT_PosNorTexTan::GetFormat();

TEST(DataFormat, NumberingAndSizesPerFormat)
{
    EXPECT_EQ(eDataFormat_UBYTE1, 4u);
    EXPECT_EQ(eDataFormat_UINT1, 12u);
    EXPECT_EQ(eDataFormat_FLOAT2, 17u);
    EXPECT_EQ(eDataFormat_FLOAT4, 19u);
    EXPECT_EQ(eDataFormat_DOUBLE4, 23u);
    EXPECT_EQ(eDataFormat_NONE, 24u);

    // Bytes of one component per scalar kind, in kind order.
    const std::size_t kindSize[6] = { sizeof(std::int8_t), sizeof(std::uint8_t), sizeof(std::int32_t),
                                      sizeof(std::uint32_t), sizeof(float), sizeof(double) };
    for (std::uint32_t kind = 0; kind < 6; ++kind) {
        for (std::uint32_t comps = 1; comps <= 4; ++comps) {
            const DataType t(static_cast<DataFormat>(4 * kind + comps - 1));
            EXPECT_EQ(t.GetComponentCount(), comps) << t.m_format;
            EXPECT_EQ(t.GetComponentSize(), kindSize[kind]) << t.m_format;
            EXPECT_EQ(t.GetComponentFormat(), static_cast<DataFormat>(4 * kind)) << t.m_format;
        }
    }
}

TEST(DataFormat, NoneHasNoEntry)
{
    AssertRecorder rec;
    const DataType none(eDataFormat_NONE);
    EXPECT_EQ(none.GetComponentCount(), 0);
    EXPECT_EQ(none.GetComponentSize(), 0);
    EXPECT_EQ(none.GetComponentFormat(), eDataFormat_NONE);
    EXPECT_EQ(rec.Failures().size(), 3u);
}

// Checks offset, stride and type of one attribute.
void ExpectAttribute(const VertexFormat& f, const std::string& name, std::size_t offset, DataFormat type)
{
    const VertexAttribute* a = f.GetAttribute(name);
    ASSERT_NE(a, nullptr) << name;
    EXPECT_EQ(a->m_offset, offset) << name;
    EXPECT_EQ(a->m_stride, f.m_size) << name;
    EXPECT_EQ(a->m_dataType.m_format, type) << name;
    EXPECT_EQ(a->m_size, 1u) << name;
    EXPECT_EQ(a->m_pData, nullptr) << name;
}

TEST(VertexTypes, FormatsMatchTheRecords)
{
    const VertexFormat pos = VT_Pos::GetFormat();
    EXPECT_EQ(pos.m_size, sizeof(VT_Pos));
    EXPECT_EQ(pos.m_size, 12u);
    EXPECT_EQ(pos.m_attributes.size(), 1u);
    ExpectAttribute(pos, "pos", offsetof(VT_Pos, pos), eDataFormat_FLOAT3);

    const VertexFormat pnt = VT_PosNorTex::GetFormat();
    EXPECT_EQ(pnt.m_size, sizeof(VT_PosNorTex));
    EXPECT_EQ(pnt.m_size, 32u);
    ExpectAttribute(pnt, "normal", offsetof(VT_PosNorTex, normal), eDataFormat_FLOAT3);
    ExpectAttribute(pnt, "tex0", offsetof(VT_PosNorTex, tex0), eDataFormat_FLOAT2);

    const VertexFormat pntt = VT_PosNorTexTan::GetFormat();
    EXPECT_EQ(pntt.m_size, sizeof(VT_PosNorTexTan));
    EXPECT_EQ(pntt.m_size, 44u);
    EXPECT_EQ(offsetof(VT_PosNorTexTan, tex0), 24u);
    EXPECT_EQ(offsetof(VT_PosNorTexTan, tangent), 32u);
    ExpectAttribute(pntt, "pos", 0, eDataFormat_FLOAT3);
    ExpectAttribute(pntt, "normal", 12, eDataFormat_FLOAT3);
    ExpectAttribute(pntt, "tex0", 24, eDataFormat_FLOAT2);
    ExpectAttribute(pntt, "tangent", 32, eDataFormat_FLOAT3);

    const VertexFormat& pn = VT_PosNor::GetFormat();
    EXPECT_EQ(pn.m_size, 24u);
    ExpectAttribute(pn, "pos", 0, eDataFormat_FLOAT3);
    ExpectAttribute(pn, "normal", 12, eDataFormat_FLOAT3);
    EXPECT_EQ(&pn, &VT_PosNor::GetFormat());   // the shared object itself

    const VertexFormat tt = VT_TexTan::GetFormat();
    EXPECT_EQ(tt.m_size, 20u);
    ExpectAttribute(tt, "tex0", 0, eDataFormat_FLOAT2);
    ExpectAttribute(tt, "tangent", 8, eDataFormat_FLOAT3);

    EXPECT_EQ(g_earlyCopy.m_size, 44u);
    EXPECT_EQ(g_earlyCopy.m_attributes.size(), 4u);
}

TEST(VertexTypes, NameMapIteratesByNameAndCopiesAreIndependent)
{
    VertexFormat copy = VT_PosNorTexTan::GetFormat();
    std::vector<std::string> names;
    for (VertexAttributeMap::const_iterator it = copy.m_attributes.begin(); it != copy.m_attributes.end(); ++it) {
        EXPECT_EQ(it->first, it->second.m_name);
        names.push_back(it->first);
    }
    EXPECT_EQ(names, (std::vector<std::string>{ "normal", "pos", "tangent", "tex0" }));
    EXPECT_EQ(copy.GetAttribute("sc2_tx2"), nullptr);
    EXPECT_EQ(copy.GetAttribute("Pos"), nullptr);

    // As a vertex buffer does on upload: rewrite the base pointers of its copy.
    static const char data[4] = {};
    for (VertexAttributeMap::iterator it = copy.m_attributes.begin(); it != copy.m_attributes.end(); ++it)
        it->second.m_pData = data;
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
    for (VertexAttributeMap::const_iterator it = f.m_attributes.begin(); it != f.m_attributes.end(); ++it)
        EXPECT_EQ(it->second.m_stride, 64u) << it->first;
}

} // namespace
