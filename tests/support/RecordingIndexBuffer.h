#ifndef VORM_TESTS_RECORDINGINDEXBUFFER_H
#define VORM_TESTS_RECORDINGINDEXBUFFER_H

#include "RecordingLog.h"

#include "Core/Rendering/IIndexBuffer.h"

#include <cstdint>
#include <vector>

// Index-buffer stand-in: logs "IB.Operation ..."; valid once created. Keeps
// a copy of the bytes handed to Create.
class RecordingIndexBuffer : public Vorm::IIndexBuffer
{
public:
    explicit RecordingIndexBuffer(RecordingLog log);
    ~RecordingIndexBuffer() override;

    void Bind() override;
    void Unbind() override;
    void Create(const Vorm::BufferData& data, const Vorm::DataType& format) override;
    bool IsValid() override;

    // The description without the caller's pointer.
    const Vorm::BufferData& Data() const { return m_bufferData; }
    std::vector<std::uint8_t> bytes;

private:
    RecordingLog m_log;
    bool m_bCreated;
};

#endif
