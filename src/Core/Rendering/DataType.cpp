#include "Core/Rendering/DataFormat.h"

#include "Core/Util/Assert.h"

namespace Vorm {

// The lookup lists end before eDataFormat_NONE; a value past them has no
// entry, so it is reported and answered with 0 instead of read past the list.

std::uint8_t DataType::GetComponentCount() const
{
    VORM_ASSERT(m_format < kDataFormatCount && "DataType has no lookup entry");
    if (m_format >= kDataFormatCount)
        return 0;
    return g_dataFormatComponentCount[m_format];
}

std::uint8_t DataType::GetComponentSize() const
{
    VORM_ASSERT(m_format < kDataFormatCount && "DataType has no lookup entry");
    if (m_format >= kDataFormatCount)
        return 0;
    return g_dataFormatComponentSize[m_format];
}

DataFormat DataType::GetComponentFormat() const
{
    VORM_ASSERT(m_format < kDataFormatCount && "DataType has no lookup entry");
    if (m_format >= kDataFormatCount)
        return eDataFormat_NONE;
    return g_dataFormatScalarFormat[m_format];
}

} // namespace Vorm
