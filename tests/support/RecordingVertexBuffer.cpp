#include "RecordingVertexBuffer.h"

#include "RecordingRenderer.h"

RecordingVertexBuffer::RecordingVertexBuffer(RecordingLog log) : m_log(log)
{
}

RecordingVertexBuffer::~RecordingVertexBuffer()
{
    m_log->push_back("VB.Destroy");
    ++RecordingRenderer::s_destroyedBuffers;
}

void RecordingVertexBuffer::Bind()
{
    m_log->push_back("VB.Bind");
}

void RecordingVertexBuffer::Unbind()
{
    m_log->push_back("VB.Unbind");
}

void RecordingVertexBuffer::Create(const Vorm::BufferData& data, const Vorm::VertexFormat* format)
{
    m_bufferData = data;
    m_bufferData.m_pData = nullptr; // the caller's data lives only during Create
    bytes = CopyBytes(data);
    if (format)
        m_vertexFormat = *format;
    m_log->push_back(LogEntry("VB.Create", data.m_count, data.m_size, data.m_usage));
}
