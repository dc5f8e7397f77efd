#ifndef VORM_TESTS_RECORDINGVERTEXBUFFER_H
#define VORM_TESTS_RECORDINGVERTEXBUFFER_H

#include "RecordingLog.h"

#include "Core/Rendering/IVertexBuffer.h"

#include <cstdint>
#include <vector>

// Vertex-buffer stand-in: logs "VB.Operation ..." and keeps the format and a
// copy of the bytes handed to Create, so tests can read what a builder
// uploaded after the builder's own arrays are gone.
class RecordingVertexBuffer : public Vorm::IVertexBuffer
{
public:
    explicit RecordingVertexBuffer(RecordingLog log);
    ~RecordingVertexBuffer() override;

    void Bind() override;
    void Unbind() override;
    void Create(const Vorm::BufferData& data, const Vorm::VertexFormat* format) override;

    // The description without the caller's pointer.
    const Vorm::BufferData& Data() const { return m_bufferData; }
    std::vector<std::uint8_t> bytes;

private:
    RecordingLog m_log;
};

#endif
