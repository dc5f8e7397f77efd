#ifndef VORM_CORE_RENDERING_VERTEXFORMAT_H
#define VORM_CORE_RENDERING_VERTEXFORMAT_H

#include "Core/Rendering/DataFormat.h"

#include <cstdint>
#include <map>
#include <string>

namespace Vorm {

// One named field of a vertex. The name is the shader vertex input it feeds.
struct VertexAttribute
{
    VertexAttribute(const std::string& name, const DataType& type, std::uint32_t count);

    std::uint32_t m_size;       // elements of m_dataType per vertex (array length)
    std::string m_name;
    DataType m_dataType;
    std::uint32_t m_stride;     // bytes between vertices; set by the owning format
    const void* m_pData;        // base pointer; null means offsets count from the bound buffer
    std::uint32_t m_offset;     // bytes from the vertex start; set by the owning format
};

typedef std::map<std::string, VertexAttribute> VertexAttributeMap;

// A vertex layout: attributes by name (iterated in name order) and the
// vertex size. Offsets follow the order of adding. Copied by value.
struct VertexFormat
{
    VertexFormat();

    void AddAttribute(const std::string& name, const DataType& type, std::uint32_t count);
    // Places the attribute at the current end of the vertex. A name already
    // present keeps its first record, but the vertex still grows.
    void Add(VertexAttribute& attribute);
    // Null when absent.
    const VertexAttribute* GetAttribute(const std::string& name) const;

    std::uint32_t m_size;       // bytes per vertex
    VertexAttributeMap m_attributes;
};

} // namespace Vorm

#endif
