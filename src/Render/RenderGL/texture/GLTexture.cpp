#include "RenderGL/texture/GLTexture.h"

#include "Core/Rendering/IRenderer.h"
#include "Core/Rendering/texture/Image.h"
#include "Core/Util/TSingleton.h"
#include "RenderGL/GLUtil.h"

#include <GL/glew.h>

#include <algorithm>
#include <iostream>

namespace Vorm {
namespace {

const char* const kCubeFacePrefixes[6] = { "px_", "py_", "pz_", "nx_", "ny_", "nz_" };
const GLenum kCubeFaceTargets[6] = {
    GL_TEXTURE_CUBE_MAP_POSITIVE_X, GL_TEXTURE_CUBE_MAP_POSITIVE_Y, GL_TEXTURE_CUBE_MAP_POSITIVE_Z,
    GL_TEXTURE_CUBE_MAP_NEGATIVE_X, GL_TEXTURE_CUBE_MAP_NEGATIVE_Y, GL_TEXTURE_CUBE_MAP_NEGATIVE_Z,
};

// GL's names for a loaded image's layout.
GLenum GLFormat(Image::ChannelOrder order)
{
    switch (order) {
    case Image::ChannelOrder::Rgba:
        return GL_RGBA;
    case Image::ChannelOrder::Bgr:
        return GL_BGR;
    case Image::ChannelOrder::Bgra:
        return GL_BGRA;
    default:
        return GL_RGB; // the Colour layout holds no grey
    }
}

GLenum GLType(Image::ChannelType type)
{
    switch (type) {
    case Image::ChannelType::Byte:
        return GL_BYTE;
    case Image::ChannelType::Short:
        return GL_SHORT;
    case Image::ChannelType::UnsignedShort:
        return GL_UNSIGNED_SHORT;
    case Image::ChannelType::Int:
        return GL_INT;
    case Image::ChannelType::UnsignedInt:
        return GL_UNSIGNED_INT;
    case Image::ChannelType::Half:
        return GL_HALF_FLOAT;
    case Image::ChannelType::Float:
        return GL_FLOAT;
    default:
        return GL_UNSIGNED_BYTE;
    }
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

// A texture file's path as the image reader opens it.
std::string TexturePath(const std::string& fileName)
{
    return TSingleton<IRenderer>::Instance()->GetTexturePath() + fileName;
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
    CheckGLError("creating a " + std::to_string(m_desc.m_width) + " x " + std::to_string(m_desc.m_height) +
                 " texture from pixels");
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
        loaded = EmptyOddFaces(internal, fileName) && loaded;
    } else {
        std::cout << "Not implemented" << std::endl;
    }

    // Mipmaps of a texture with a missing image are a GL error (an
    // incomplete cube map) and would mean nothing anyway.
    if (m_desc.m_bMipmap == 1 && loaded)
        glGenerateMipmap(target);
    CheckGLError(std::string(m_desc.m_type == 3 ? "loading the cube map " : "loading the texture ") +
                 TexturePath(fileName));
    Unbind();
    ApplyDefaultParameters();
}

bool GLTexture::EmptyOddFaces(std::uint32_t internalFormat, const std::string& fileName)
{
    // GL takes faces of any size one by one, but samples the cube map only
    // when all six match. The size most faces have wins; ties go to the
    // earlier face.
    GLint sides[6];
    for (int face = 0; face < 6; ++face)
        glGetTexLevelParameteriv(kCubeFaceTargets[face], 0, GL_TEXTURE_WIDTH, &sides[face]);
    GLint common = 0;
    int votes = 0;
    for (int face = 0; face < 6; ++face) {
        const int count = static_cast<int>(std::count(sides, sides + 6, sides[face]));
        if (sides[face] > 0 && count > votes) {
            common = sides[face];
            votes = count;
        }
    }
    bool same = true;
    for (int face = 0; face < 6; ++face) {
        // A face that did not load has been reported already.
        if (sides[face] == 0 || sides[face] == common)
            continue;
        std::cout << "Cube map face " << TexturePath(kCubeFacePrefixes[face] + fileName) << " is " << sides[face]
                  << " x " << sides[face] << " pixels, the other faces " << common << " x " << common
                  << "; it stays empty" << std::endl;
        // Empty, as if its file were missing.
        glTexImage2D(kCubeFaceTargets[face], 0, internalFormat, 0, 0, 0, GL_RGB, GL_UNSIGNED_BYTE, nullptr);
        same = false;
    }
    return same;
}

bool GLTexture::LoadImageInto(std::uint32_t target, std::uint32_t internalFormat, const std::string& fileName)
{
    // Nothing larger than GL takes is decoded, let alone drawn as nothing,
    // nor anything whose copies on the way take more memory than a scene has.
    const bool face = target != GL_TEXTURE_2D;
    GLint maxSide = 0;
    glGetIntegerv(face ? GL_MAX_CUBE_MAP_TEXTURE_SIZE : GL_MAX_TEXTURE_SIZE, &maxSide);
    const Image::Limit limit(face ? "a cube-map face" : "a texture", std::uint32_t(std::max(maxSide, 0)),
                             face ? Image::kCubeFaceBytes : Image::kTextureBytes);
    std::string error;
    const Image image = Image::Load(fileName, m_desc.m_bFlip != 0, Image::Layout::Colour, &error, limit);
    // A file that did not load uploads nothing: no picture that no file holds.
    if (image.IsEmpty()) {
        std::cout << "Error reading image file " << error << "; the texture stays empty" << std::endl;
        return false;
    }
    // GL refuses a face that is not square, with an error that names nothing.
    if (target != GL_TEXTURE_2D && image.GetWidth() != image.GetHeight()) {
        std::cout << "Cube map face " << TexturePath(fileName) << " is " << image.GetWidth() << " x "
                  << image.GetHeight() << " pixels, not square; it stays empty" << std::endl;
        return false;
    }
    UnpackAlignmentOne packed;
    glTexImage2D(target, 0, internalFormat, image.GetWidth(), image.GetHeight(), 0,
                 GLFormat(image.GetChannelOrder()), GLType(image.GetChannelType()), image.GetData());
    return true;
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
