#include "RecordingRenderTarget.h"

#include "RecordingTexture.h"


RecordingRenderTarget::RecordingRenderTarget(RecordingLog log) : m_log(log), m_width(0), m_height(0)
{
}

RecordingRenderTarget::~RecordingRenderTarget()
{
    m_log->push_back("RT.Destroy");
}

void RecordingRenderTarget::Create(unsigned width, unsigned height, unsigned depthMode)
{
    m_width = width;
    m_height = height;
    m_log->push_back(LogEntry("RT.Create", width, height, depthMode));
}

void RecordingRenderTarget::AttachColorTextures(Vorm::TextureDesc desc, Vorm::TextureParams params, unsigned count)
{
    m_log->push_back(LogEntry("RT.AttachColorTextures", count));
    for (unsigned i = 0; i < count; ++i)
    {
        boost::shared_ptr<Vorm::ITexture> texture(new RecordingTexture(m_log));
        texture->Create(desc);
        texture->SetParameters(params);
        m_colorTextures.push_back(texture);
    }
}

void RecordingRenderTarget::AttachDepthTexture(Vorm::TextureDesc desc, Vorm::TextureParams params)
{
    m_log->push_back("RT.AttachDepthTexture");
    boost::shared_ptr<Vorm::ITexture> texture(new RecordingTexture(m_log));
    texture->Create(desc);
    texture->SetParameters(params);
    m_depthTexture = texture;
}

void RecordingRenderTarget::Bind()
{
    m_log->push_back("RT.Bind");
}

void RecordingRenderTarget::Unbind()
{
    m_log->push_back("RT.Unbind");
}

boost::shared_ptr<Vorm::ITexture> RecordingRenderTarget::GetColorTexture(unsigned index)
{
    return m_colorTextures[index];
}

boost::shared_ptr<Vorm::ITexture> RecordingRenderTarget::GetDepthTexture()
{
    return m_depthTexture;
}

unsigned RecordingRenderTarget::GetWidth()
{
    return m_width;
}

unsigned RecordingRenderTarget::GetHeight()
{
    return m_height;
}
