#include "Core/Rendering/VertexFormat.h"

namespace Vorm {

VertexAttribute::VertexAttribute(const std::string& name, const DataType& type, std::uint32_t count)
    : m_size(count)
    , m_name(name)
    , m_dataType(type)
    , m_stride(0)       // set by the owning format
    , m_pData(nullptr)
    , m_offset(0)       // set by the owning format
{
}

} // namespace Vorm
