#ifndef VORM_CORE_RENDERING_ITEXTURE_H
#define VORM_CORE_RENDERING_ITEXTURE_H

#include "Core/Rendering/TextureDesc.h"

#include <string>

namespace Vorm {

// A texture on the graphics API. Made empty by the renderer's factory; one
// of the three Create operations makes its GPU object.
class ITexture
{
public:
    // Virtual: holders destroy textures through this interface.
    virtual ~ITexture() {}

    virtual void Create(const TextureDesc& desc) = 0;
    virtual void CreateFromData(const TextureDesc& desc, const void* pixels) = 0;
    virtual void CreateFromFile(const TextureDesc& desc, const std::string& fileName) = 0;
    virtual void SetParameters(const TextureParams& params) = 0;
    virtual void GenerateMipmaps() = 0;
    virtual void CopyFromFramebuffer() = 0;
    virtual void Bind() = 0;
    virtual void Unbind() = 0;
};

} // namespace Vorm

#endif
