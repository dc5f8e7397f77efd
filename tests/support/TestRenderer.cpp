#include "TestRenderer.h"

#include "Core/Memory/MemTracker.h"

#include <cstring>

int TestRenderer::s_destroyedBuffers = 0;

namespace {

std::vector<std::uint8_t> CopyBytes(const Vorm::BufferData& data)
{
    const std::uint8_t* p = static_cast<const std::uint8_t*>(data.m_pData);
    return p ? std::vector<std::uint8_t>(p, p + data.m_size) : std::vector<std::uint8_t>();
}

} // namespace

TestRenderer::VertexBuffer::~VertexBuffer() { ++s_destroyedBuffers; }

void TestRenderer::VertexBuffer::Create(const Vorm::BufferData& data, const Vorm::VertexFormat* format)
{
    m_bufferData = data;
    if (format)
        m_vertexFormat = *format;
    bytes = CopyBytes(data);
    m_bufferData.m_pData = nullptr;
}

TestRenderer::IndexBuffer::~IndexBuffer() { ++s_destroyedBuffers; }

void TestRenderer::IndexBuffer::Create(const Vorm::BufferData& data, const Vorm::DataType& format)
{
    m_bufferData = data;
    m_indexFormat = format;
    bytes = CopyBytes(data);
    m_bufferData.m_pData = nullptr;
    created = true;
}

Vorm::IIndexBuffer* TestRenderer::CreateIndexBuffer()
{
    return VORM_NEW IndexBuffer();
}

Vorm::IVertexBuffer* TestRenderer::CreateVertexBuffer()
{
    return VORM_NEW VertexBuffer();
}
