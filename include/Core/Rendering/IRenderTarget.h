#ifndef VORM_CORE_RENDERING_IRENDERTARGET_H
#define VORM_CORE_RENDERING_IRENDERTARGET_H

#include "Core/Rendering/ITexture.h"
#include "Core/Rendering/TextureDesc.h"

#include <boost/shared_ptr.hpp>

namespace Vorm {

// An off-screen render target with colour and/or depth textures.
class IRenderTarget
{
public:
    virtual ~IRenderTarget() {}

    virtual void Create(unsigned width, unsigned height, unsigned depthMode) = 0;
    virtual void AttachColorTextures(TextureDesc desc, TextureParams params, unsigned count) = 0;
    virtual void AttachDepthTexture(TextureDesc desc, TextureParams params) = 0;
    virtual void Bind() = 0;
    virtual void Unbind() = 0;
    virtual boost::shared_ptr<ITexture> GetColorTexture(unsigned index) = 0;
    virtual boost::shared_ptr<ITexture> GetDepthTexture() = 0;
    virtual unsigned GetWidth() = 0;
    virtual unsigned GetHeight() = 0;
};

} // namespace Vorm

#endif
