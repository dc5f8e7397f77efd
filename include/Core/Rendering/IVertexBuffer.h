#ifndef VORM_CORE_RENDERING_IVERTEXBUFFER_H
#define VORM_CORE_RENDERING_IVERTEXBUFFER_H

#include "Core/Rendering/BufferData.h"
#include "Core/Rendering/VertexFormat.h"

#include <cstdint>

namespace Vorm {

// A vertex buffer on the graphics API. It keeps its own copy of the vertex
// format and of the description it was created with.
class IVertexBuffer
{
public:
    IVertexBuffer() {}
    // Virtual: geometry deletes its buffers through this interface.
    virtual ~IVertexBuffer() {}

    virtual void Bind() = 0;
    virtual void Unbind() = 0;
    virtual void Create(const BufferData& data, const VertexFormat* format) = 0;

    const VertexFormat& GetVertexFormat() const { return m_vertexFormat; }
    std::uint32_t GetCount() const { return m_bufferData.m_count; }

protected:
    VertexFormat m_vertexFormat;
    BufferData m_bufferData;
};

} // namespace Vorm

#endif
