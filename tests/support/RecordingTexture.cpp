#include "RecordingTexture.h"

#include <sstream>

namespace {
std::string Describe(const Vorm::TextureDesc& d)
{
    std::ostringstream s;
    s << d.m_width << " " << d.m_height << " mip " << unsigned(d.m_bMipmap) << " flip " << unsigned(d.m_bFlip)
      << " type " << d.m_type << " ifmt " << d.m_internalFormat << " pfmt " << d.m_pixelFormat;
    return s.str();
}
} // namespace

RecordingTexture::RecordingTexture(RecordingLog log) : m_log(log)
{
}

RecordingTexture::~RecordingTexture()
{
    m_log->push_back("Tex.Destroy");
}

void RecordingTexture::Create(const Vorm::TextureDesc& desc)
{
    m_desc = desc;
    m_log->push_back("Tex.Create " + Describe(desc));
}

void RecordingTexture::CreateFromData(const Vorm::TextureDesc& desc, const void*)
{
    m_desc = desc;
    m_log->push_back("Tex.CreateFromData " + Describe(desc));
}

void RecordingTexture::CreateFromFile(const Vorm::TextureDesc& desc, const std::string& fileName)
{
    m_desc = desc;
    m_fileName = fileName;
    m_log->push_back("Tex.CreateFromFile " + fileName + " " + Describe(desc));
}

void RecordingTexture::SetParameters(const Vorm::TextureParams& p)
{
    m_params = p;
    m_log->push_back(LogEntry("Tex.SetParameters", p.m_magFilter, p.m_minFilter, p.m_wrapS, p.m_wrapT));
}

void RecordingTexture::GenerateMipmaps()
{
    m_log->push_back("Tex.GenerateMipmaps");
}

void RecordingTexture::CopyFromFramebuffer()
{
    m_log->push_back("Tex.CopyFromFramebuffer");
}

void RecordingTexture::Bind()
{
    m_log->push_back("Tex.Bind");
}

void RecordingTexture::Unbind()
{
    m_log->push_back("Tex.Unbind");
}
