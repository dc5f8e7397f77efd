#ifndef VORM_TESTS_RECORDINGVERTEXBUFFER_H
#define VORM_TESTS_RECORDINGVERTEXBUFFER_H

#include "RecordingLog.h"

#include "Core/Rendering/IVertexBuffer.h"

// Vertex-buffer stand-in: logs "VB.Operation ..." and keeps the format.
class RecordingVertexBuffer : public Vorm::IVertexBuffer
{
public:
    explicit RecordingVertexBuffer(RecordingLog log);
    ~RecordingVertexBuffer() override;

    void Bind() override;
    void Unbind() override;
    void Create(const Vorm::BufferData& data, const Vorm::VertexFormat* format) override;

private:
    RecordingLog m_log;
};

#endif
