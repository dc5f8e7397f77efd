#include "Core/Rendering/VertexFormat.h"

namespace Vorm {

VertexFormat::VertexFormat()
    : m_size(0)
{
}

void VertexFormat::AddAttribute(const std::string& name, const DataType& type, std::uint32_t count)
{
    VertexAttribute attribute(name, type, count);
    Add(attribute);
}

void VertexFormat::Add(VertexAttribute& attribute)
{
    attribute.m_offset = m_size;
    // insert keeps an earlier record of the same name.
    m_attributes.insert(VertexAttributeMap::value_type(attribute.m_name, attribute));
    m_size += attribute.m_dataType.GetComponentCount() * attribute.m_dataType.GetComponentSize()
              * attribute.m_size;
    for (VertexAttributeMap::iterator it = m_attributes.begin(); it != m_attributes.end(); ++it)
        it->second.m_stride = m_size;
}

const VertexAttribute* VertexFormat::GetAttribute(const std::string& name) const
{
    VertexAttributeMap::const_iterator it = m_attributes.find(name);
    return it == m_attributes.end() ? nullptr : &it->second;
}

} // namespace Vorm
