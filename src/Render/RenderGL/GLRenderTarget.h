#ifndef VORM_RENDER_RENDERGL_GLRENDERTARGET_H
#define VORM_RENDER_RENDERGL_GLRENDERTARGET_H

#include "Core/Rendering/IRenderTarget.h"

#include <boost/shared_ptr.hpp>

#include <cstdint>
#include <vector>

namespace Vorm {

// A GL frame buffer with an optional depth render buffer, up to six colour
// textures and an optional depth texture. A target without colour textures
// (a shadow map) switches colour writes off while bound. Bind and Unbind
// leave the viewport to the caller.
class GLRenderTarget : public IRenderTarget
{
public:
    GLRenderTarget();
    virtual ~GLRenderTarget();

    // depthMode 1 or 2 adds a depth render buffer.
    virtual void Create(unsigned width, unsigned height, unsigned depthMode) override;
    // Attaches count colour textures from colour attachment 0; count is at
    // most six.
    virtual void AttachColorTextures(TextureDesc desc, TextureParams params, unsigned count) override;
    virtual void AttachDepthTexture(TextureDesc desc, TextureParams params) override;
    virtual void Bind() override;
    virtual void Unbind() override;
    // Empty for an index past the attached textures.
    virtual boost::shared_ptr<ITexture> GetColorTexture(unsigned index) override;
    virtual boost::shared_ptr<ITexture> GetDepthTexture() override;
    virtual unsigned GetWidth() override { return m_uiWidth; }
    virtual unsigned GetHeight() override { return m_uiHeight; }

    std::uint32_t GetHandle() const { return m_uiFrameBuffer; }
    unsigned GetColorTextureCount() const { return static_cast<unsigned>(m_colorTextures.size()); }
    // Result of the last completeness test of the target's own frame buffer.
    bool IsComplete() const { return m_bComplete; }

private:
    GLRenderTarget(const GLRenderTarget&);
    GLRenderTarget& operator=(const GLRenderTarget&);

    // Tests the target's own frame buffer (bound for the test; frame buffer
    // 0 bound afterwards) and reports "Framebuffer not complete.".
    bool CheckComplete();

    std::uint32_t m_uiWidth;
    std::uint32_t m_uiHeight;
    std::uint32_t m_uiFrameBuffer;
    std::uint32_t m_uiDepthBuffer;
    std::vector<boost::shared_ptr<ITexture> > m_colorTextures;
    boost::shared_ptr<ITexture> m_spDepthTexture;
    bool m_bComplete;
};

} // namespace Vorm

#endif
