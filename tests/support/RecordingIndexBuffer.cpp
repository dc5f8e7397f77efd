#include "RecordingIndexBuffer.h"

#include "RecordingRenderer.h"

RecordingIndexBuffer::RecordingIndexBuffer(RecordingLog log) : m_log(log), m_bCreated(false)
{
}

RecordingIndexBuffer::~RecordingIndexBuffer()
{
    m_log->push_back("IB.Destroy");
    ++RecordingRenderer::s_destroyedBuffers;
}

void RecordingIndexBuffer::Bind()
{
    m_log->push_back("IB.Bind");
}

void RecordingIndexBuffer::Unbind()
{
    m_log->push_back("IB.Unbind");
}

void RecordingIndexBuffer::Create(const Vorm::BufferData& data, const Vorm::DataType& format)
{
    m_bufferData = data;
    m_bufferData.m_pData = nullptr;
    bytes = CopyBytes(data);
    m_indexFormat = format;
    m_bCreated = true;
    m_log->push_back(LogEntry("IB.Create", data.m_count, data.m_size, data.m_usage, format.m_format));
}

bool RecordingIndexBuffer::IsValid()
{
    return m_bCreated;
}
