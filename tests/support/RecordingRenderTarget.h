#ifndef VORM_TESTS_RECORDINGRENDERTARGET_H
#define VORM_TESTS_RECORDINGRENDERTARGET_H

#include "RecordingLog.h"

#include "Core/Rendering/IRenderTarget.h"

#include <vector>

// Render-target stand-in: logs "RT.Operation ..." and makes recording
// textures for its attachments.
class RecordingRenderTarget : public Vorm::IRenderTarget
{
public:
    explicit RecordingRenderTarget(RecordingLog log);
    ~RecordingRenderTarget() override;

    void Create(unsigned width, unsigned height, unsigned depthMode) override;
    void AttachColorTextures(Vorm::TextureDesc desc, Vorm::TextureParams params, unsigned count) override;
    void AttachDepthTexture(Vorm::TextureDesc desc, Vorm::TextureParams params) override;
    void Bind() override;
    void Unbind() override;
    boost::shared_ptr<Vorm::ITexture> GetColorTexture(unsigned index) override;
    boost::shared_ptr<Vorm::ITexture> GetDepthTexture() override;
    unsigned GetWidth() override;
    unsigned GetHeight() override;

private:
    RecordingLog m_log;
    unsigned m_width;
    unsigned m_height;
    std::vector<boost::shared_ptr<Vorm::ITexture> > m_colorTextures;
    boost::shared_ptr<Vorm::ITexture> m_depthTexture;
};

#endif
