#ifndef VORM_RENDER_RENDERGL_TEXTURE_GLTEXTURE_H
#define VORM_RENDER_RENDERGL_TEXTURE_GLTEXTURE_H

#include "Core/Rendering/ITexture.h"
#include "Core/Rendering/TextureDesc.h"

#include <cstdint>
#include <string>

namespace Vorm {

// One GL texture: an empty render texture, a texture from memory, a 2D image
// file or a cube map from six files ("px_", "py_", "pz_", "nx_", "ny_", "nz_"
// + name) under the renderer's texture folder. Every operation but Bind
// leaves the texture unbound; the caller picks the texture unit.
class GLTexture : public ITexture
{
public:
    GLTexture();
    virtual ~GLTexture();

    virtual void Create(const TextureDesc& desc) override;
    // Pixels are tightly packed rows (no row padding).
    virtual void CreateFromData(const TextureDesc& desc, const void* pixels) override;
    // Reports "Error reading image file" with the file's path and what is
    // wrong with it for a file that cannot be read, and leaves that image
    // level empty. A cube map face that is not square, or not of the size
    // most faces have, is named and left empty too.
    virtual void CreateFromFile(const TextureDesc& desc, const std::string& fileName) override;
    virtual void SetParameters(const TextureParams& params) override;
    virtual void GenerateMipmaps() override;
    // 2D only: copies width x height from the lower left of the read buffer.
    virtual void CopyFromFramebuffer() override;
    virtual void Bind() override;
    virtual void Unbind() override;

    std::uint32_t GetHandle() const { return m_uiTexture; }
    std::uint32_t GetTarget() const;
    const TextureDesc& GetDesc() const { return m_desc; }
    const TextureParams& GetParams() const { return m_params; }

private:
    GLTexture(const GLTexture&);
    GLTexture& operator=(const GLTexture&);

    // Makes a fresh GL name (releasing an earlier one) and binds it.
    void GenAndBind(const TextureDesc& desc);
    // Loads one file into target; false when the file could not be read
    // (or, for a cube map face, is not square).
    bool LoadImageInto(std::uint32_t target, std::uint32_t internalFormat, const std::string& fileName);
    // Reports every loaded cube map face whose size differs from the others'
    // and leaves it empty; false when there was one.
    bool EmptyOddFaces(std::uint32_t internalFormat, const std::string& fileName);
    void ApplyDefaultParameters();

    std::uint32_t m_uiTexture;
    TextureDesc m_desc;
    TextureParams m_params;
};

} // namespace Vorm

#endif
