#ifndef VORM_CORE_RENDERING_DATAFORMAT_H
#define VORM_CORE_RENDERING_DATAFORMAT_H

#include <cstdint>

namespace Vorm {

// Element type of vertex and index data: 4 x scalar kind + (components - 1),
// with the kinds BYTE, UBYTE, INT, UINT, FLOAT, DOUBLE in that order.
enum DataFormat : std::uint32_t
{
    eDataFormat_BYTE1 = 0,
    eDataFormat_BYTE2,
    eDataFormat_BYTE3,
    eDataFormat_BYTE4,
    eDataFormat_UBYTE1,     // 4
    eDataFormat_UBYTE2,
    eDataFormat_UBYTE3,
    eDataFormat_UBYTE4,
    eDataFormat_INT1,       // 8
    eDataFormat_INT2,
    eDataFormat_INT3,
    eDataFormat_INT4,
    eDataFormat_UINT1,      // 12
    eDataFormat_UINT2,
    eDataFormat_UINT3,
    eDataFormat_UINT4,
    eDataFormat_FLOAT1,     // 16
    eDataFormat_FLOAT2,
    eDataFormat_FLOAT3,
    eDataFormat_FLOAT4,
    eDataFormat_DOUBLE1,    // 20
    eDataFormat_DOUBLE2,
    eDataFormat_DOUBLE3,
    eDataFormat_DOUBLE4,
    eDataFormat_NONE = 24   // no format; has no lookup entry
};

// Number of formats with a lookup entry (eDataFormat_NONE has none).
constexpr std::uint32_t kDataFormatCount = 24;

// Lookup lists indexed by DataFormat. Constant-initialised, so the static
// vertex formats may read them during static initialisation of any unit.
constexpr std::uint8_t g_dataFormatComponentCount[kDataFormatCount] = {
    1, 2, 3, 4,  1, 2, 3, 4,  1, 2, 3, 4,  1, 2, 3, 4,  1, 2, 3, 4,  1, 2, 3, 4
};

// Bytes per component.
constexpr std::uint8_t g_dataFormatComponentSize[kDataFormatCount] = {
    1, 1, 1, 1,  1, 1, 1, 1,  4, 4, 4, 4,  4, 4, 4, 4,  4, 4, 4, 4,  8, 8, 8, 8
};

// The one-component format of the same scalar kind (4 x kind).
constexpr DataFormat g_dataFormatScalarFormat[kDataFormatCount] = {
    eDataFormat_BYTE1,   eDataFormat_BYTE1,   eDataFormat_BYTE1,   eDataFormat_BYTE1,
    eDataFormat_UBYTE1,  eDataFormat_UBYTE1,  eDataFormat_UBYTE1,  eDataFormat_UBYTE1,
    eDataFormat_INT1,    eDataFormat_INT1,    eDataFormat_INT1,    eDataFormat_INT1,
    eDataFormat_UINT1,   eDataFormat_UINT1,   eDataFormat_UINT1,   eDataFormat_UINT1,
    eDataFormat_FLOAT1,  eDataFormat_FLOAT1,  eDataFormat_FLOAT1,  eDataFormat_FLOAT1,
    eDataFormat_DOUBLE1, eDataFormat_DOUBLE1, eDataFormat_DOUBLE1, eDataFormat_DOUBLE1
};

// One element type; a value record.
struct DataType
{
    DataType(DataFormat format) : m_format(format) {}

    // Asking a type holding eDataFormat_NONE (or anything above 23) is a
    // caller error: it fails an assertion and answers 0 / eDataFormat_NONE.
    std::uint8_t GetComponentCount() const;
    std::uint8_t GetComponentSize() const;
    DataFormat GetComponentFormat() const;

    DataFormat m_format;
};

} // namespace Vorm

#endif
