#ifndef VORM_TESTS_RECORDINGTEXTURE_H
#define VORM_TESTS_RECORDINGTEXTURE_H

#include "RecordingLog.h"

#include "Core/Rendering/ITexture.h"

#include <string>

// Texture stand-in: logs "Tex.Operation ..." and keeps its description.
class RecordingTexture : public Vorm::ITexture
{
public:
    explicit RecordingTexture(RecordingLog log);
    ~RecordingTexture() override;

    void Create(const Vorm::TextureDesc& desc) override;
    void CreateFromData(const Vorm::TextureDesc& desc, const void* pixels) override;
    void CreateFromFile(const Vorm::TextureDesc& desc, const std::string& fileName) override;
    void SetParameters(const Vorm::TextureParams& params) override;
    void GenerateMipmaps() override;
    void CopyFromFramebuffer() override;
    void Bind() override;
    void Unbind() override;

    const Vorm::TextureDesc& GetDesc() const { return m_desc; }
    const Vorm::TextureParams& GetParams() const { return m_params; }
    // The name given to CreateFromFile; empty before.
    const std::string& GetFileName() const { return m_fileName; }

private:
    RecordingLog m_log;
    Vorm::TextureDesc m_desc;
    Vorm::TextureParams m_params;
    std::string m_fileName;
};

#endif
