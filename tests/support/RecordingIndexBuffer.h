#ifndef VORM_TESTS_RECORDINGINDEXBUFFER_H
#define VORM_TESTS_RECORDINGINDEXBUFFER_H

#include "RecordingLog.h"

#include "Core/Rendering/IIndexBuffer.h"

// Index-buffer stand-in: logs "IB.Operation ..."; valid once created.
class RecordingIndexBuffer : public Vorm::IIndexBuffer
{
public:
    explicit RecordingIndexBuffer(RecordingLog log);
    ~RecordingIndexBuffer() override;

    void Bind() override;
    void Unbind() override;
    void Create(const Vorm::BufferData& data, const Vorm::DataType& format) override;
    bool IsValid() override;

private:
    RecordingLog m_log;
    bool m_bCreated;
};

#endif
