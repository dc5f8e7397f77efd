#include "RenderGL/texture/GLTexture.h"

#include "Core/Rendering/IRenderer.h"
#include "Core/Util/TSingleton.h"
#include "RenderGL/GLUtil.h"

#include <GL/glew.h>
#include <IL/il.h>

#include <iostream>

namespace Vorm {
namespace {

const char* const kCubeFacePrefixes[6] = { "px_", "py_", "pz_", "nx_", "ny_", "nz_" };
const GLenum kCubeFaceTargets[6] = {
    GL_TEXTURE_CUBE_MAP_POSITIVE_X, GL_TEXTURE_CUBE_MAP_POSITIVE_Y, GL_TEXTURE_CUBE_MAP_POSITIVE_Z,
    GL_TEXTURE_CUBE_MAP_NEGATIVE_X, GL_TEXTURE_CUBE_MAP_NEGATIVE_Y, GL_TEXTURE_CUBE_MAP_NEGATIVE_Z,
};

// DevIL keeps a stack of errors; a stale one would fail the next load.
void DrainILErrors()
{
    for (int i = 0; i < 64 && ilGetError() != IL_NO_ERROR; ++i) {
    }
}

// Brings the bound DevIL image to a format and type that a forward-compatible
// GL 3.1 context takes: grey and palette images become RGB(A), doubles floats.
bool MakeGLCompatible()
{
    ILint format = ilGetInteger(IL_IMAGE_FORMAT);
    ILint type = ilGetInteger(IL_IMAGE_TYPE);
    ILenum newFormat = format;
    ILenum newType = type;
    switch (format) {
    case IL_COLOUR_INDEX:
        newFormat = ilGetInteger(IL_PALETTE_BPP) == 4 ? IL_RGBA : IL_RGB;
        newType = IL_UNSIGNED_BYTE;
        break;
    case IL_LUMINANCE:
        newFormat = IL_RGB;
        break;
    case IL_LUMINANCE_ALPHA:
    case IL_ALPHA:
        newFormat = IL_RGBA;
        break;
    default:
        break;
    }
    if (newType == IL_DOUBLE)
        newType = IL_FLOAT;
    if (ILint(newFormat) == format && ILint(newType) == type)
        return true;
    return ilConvertImage(newFormat, newType) == IL_TRUE;
}

// GL format of the data for a pixel-format index. The table's sized entries
// (16/32-bit float colour, 24/32-bit depth) name storage, which GL refuses
// as the layout of supplied pixels.
GLenum DataLayout(std::uint32_t pixelFormat)
{
    switch (GLMapPixelFormat(pixelFormat)) {
    case GL_RGB16F:
    case GL_RGB32F:
        return GL_RGB;
    case GL_RGBA16F:
    case GL_RGBA32F:
        return GL_RGBA;
    case GL_DEPTH_COMPONENT24:
    case GL_DEPTH_COMPONENT32:
        return GL_DEPTH_COMPONENT;
    default:
        return GLMapPixelFormat(pixelFormat);
    }
}

// Uploads tightly packed rows: RGB rows of odd widths are not 4-byte aligned.
class UnpackAlignmentOne
{
public:
    UnpackAlignmentOne()
    {
        glGetIntegerv(GL_UNPACK_ALIGNMENT, &m_previous);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    }
    ~UnpackAlignmentOne() { glPixelStorei(GL_UNPACK_ALIGNMENT, m_previous); }

private:
    GLint m_previous;
};

} // namespace

GLTexture::GLTexture() : m_uiTexture(0)
{
}

GLTexture::~GLTexture()
{
    if (m_uiTexture != 0)
        glDeleteTextures(1, &m_uiTexture);
}

std::uint32_t GLTexture::GetTarget() const
{
    return GLMapTextureTarget(m_desc.m_type);
}

void GLTexture::GenAndBind(const TextureDesc& desc)
{
    m_desc = desc;
    // One creation per texture is the rule; a repeated one must not leak.
    if (m_uiTexture != 0)
        glDeleteTextures(1, &m_uiTexture);
    glGenTextures(1, &m_uiTexture);
    Bind();
}

void GLTexture::Create(const TextureDesc& desc)
{
    GenAndBind(desc);
    glTexImage2D(GetTarget(), 0, GLMapPixelFormat(m_desc.m_internalFormat), m_desc.m_width, m_desc.m_height,
                 0, DataLayout(m_desc.m_pixelFormat), GLMapPixelType(m_desc.m_pixelFormat), nullptr);
    Unbind();
    ApplyDefaultParameters();
}

void GLTexture::CreateFromData(const TextureDesc& desc, const void* pixels)
{
    GenAndBind(desc);
    const GLenum target = GetTarget();
    {
        UnpackAlignmentOne packed;
        glTexImage2D(target, 0, GLMapPixelFormat(m_desc.m_internalFormat), m_desc.m_width, m_desc.m_height,
                     0, DataLayout(m_desc.m_pixelFormat), GLMapPixelType(m_desc.m_pixelFormat), pixels);
    }
    CheckGLError();
    if (m_desc.m_bMipmap == 1)
        glGenerateMipmap(target);
    Unbind();
    ApplyDefaultParameters();
}

void GLTexture::CreateFromFile(const TextureDesc& desc, const std::string& fileName)
{
    GenAndBind(desc);
    const GLenum target = GetTarget();
    const GLenum internal = GLMapPixelFormat(m_desc.m_internalFormat);

    bool loaded = false;
    if (m_desc.m_type == 1) {
        loaded = LoadImageInto(target, internal, fileName);
    } else if (m_desc.m_type == 3) {
        loaded = true;
        for (int face = 0; face < 6; ++face)
            loaded = LoadImageInto(kCubeFaceTargets[face], internal, kCubeFacePrefixes[face] + fileName) && loaded;
    } else {
        std::cout << "Not implemented" << std::endl;
    }

    // Mipmaps of a texture with a missing image are a GL error (an
    // incomplete cube map) and would mean nothing anyway.
    if (m_desc.m_bMipmap == 1 && loaded)
        glGenerateMipmap(target);
    Unbind();
    ApplyDefaultParameters();
}

bool GLTexture::LoadImageInto(std::uint32_t target, std::uint32_t internalFormat, const std::string& fileName)
{
    const std::string path = TSingleton<IRenderer>::Instance()->GetTexturePath() + fileName;

    ilEnable(IL_ORIGIN_SET);
    ilSetInteger(IL_ORIGIN_MODE, m_desc.m_bFlip ? IL_ORIGIN_UPPER_LEFT : IL_ORIGIN_LOWER_LEFT);

    DrainILErrors();
    ILuint id = 0;
    ilGenImages(1, &id);
    ilBindImage(id);
    const bool read = ilLoadImage(path.c_str()) == IL_TRUE;
    const ILenum error = ilGetError();
    DrainILErrors();

    // After a failed load DevIL's placeholder image is bound; uploading it
    // would put a picture into the texture that no file holds.
    bool ok = read && error == IL_NO_ERROR && MakeGLCompatible();
    if (ok) {
        UnpackAlignmentOne packed;
        glTexImage2D(target, 0, internalFormat, ilGetInteger(IL_IMAGE_WIDTH), ilGetInteger(IL_IMAGE_HEIGHT), 0,
                     ilGetInteger(IL_IMAGE_FORMAT), ilGetInteger(IL_IMAGE_TYPE), ilGetData());
    } else {
        std::cout << "Error reading image file" << std::endl;
        DrainILErrors();
    }
    ilDeleteImages(1, &id);
    return ok;
}

void GLTexture::ApplyDefaultParameters()
{
    TextureParams params;
    params.m_magFilter = 1;
    params.m_minFilter = 1;
    params.m_wrapS = 0;
    params.m_wrapT = 0;
    params.m_reserved = 0;
    SetParameters(params);
}

void GLTexture::SetParameters(const TextureParams& params)
{
    m_params = params;
    const GLenum target = GetTarget();
    Bind();
    glTexParameteri(target, GL_TEXTURE_WRAP_S, GLMapWrap(m_params.m_wrapS));
    glTexParameteri(target, GL_TEXTURE_WRAP_T, GLMapWrap(m_params.m_wrapT));
    glTexParameteri(target, GL_TEXTURE_MAG_FILTER, GLMapFilter(m_params.m_magFilter));
    glTexParameteri(target, GL_TEXTURE_MIN_FILTER, GLMapFilter(m_params.m_minFilter));
    Unbind();
}

void GLTexture::GenerateMipmaps()
{
    Bind();
    glGenerateMipmap(GetTarget());
    Unbind();
}

void GLTexture::CopyFromFramebuffer()
{
    Bind();
    if (m_desc.m_type == 1)
        glCopyTexSubImage2D(GetTarget(), 0, 0, 0, 0, 0, m_desc.m_width, m_desc.m_height);
    Unbind();
}

void GLTexture::Bind()
{
    glBindTexture(GetTarget(), m_uiTexture);
}

void GLTexture::Unbind()
{
    glBindTexture(GetTarget(), 0);
}

} // namespace Vorm
