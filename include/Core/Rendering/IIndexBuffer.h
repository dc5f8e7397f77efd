#ifndef VORM_CORE_RENDERING_IINDEXBUFFER_H
#define VORM_CORE_RENDERING_IINDEXBUFFER_H

#include "Core/Rendering/BufferData.h"
#include "Core/Rendering/DataFormat.h"

#include <cstdint>

namespace Vorm {

// An index buffer on the graphics API. The index format is none until Create.
class IIndexBuffer
{
public:
    IIndexBuffer() : m_indexFormat(eDataFormat_NONE) {}
    // Virtual: geometry deletes its buffers through this interface.
    virtual ~IIndexBuffer() {}

    virtual void Bind() = 0;
    virtual void Unbind() = 0;
    virtual void Create(const BufferData& data, const DataType& format) = 0;
    virtual bool IsValid() = 0;

    std::uint32_t GetCount() const { return m_bufferData.m_count; }
    const DataType& GetFormat() const { return m_indexFormat; }

protected:
    BufferData m_bufferData;
    DataType m_indexFormat;
};

} // namespace Vorm

#endif
