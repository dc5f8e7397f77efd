#include "RenderGL/GLUtil.h"

#include <GL/glu.h>

#include <cstdio>
#include <cstring>
#include <iostream>

namespace Vorm {
namespace {

// Constant-initialised, so they are ready before any dynamic initialiser
// of another unit could look something up.
const GLenum kDataFormats[] = {
    GL_BYTE, 0x1407, 0x1408, 0x1409,
    GL_UNSIGNED_BYTE, GL_INVALID_ENUM, GL_INVALID_ENUM, GL_INVALID_ENUM,
    GL_INT, GL_INT_VEC2, GL_INT_VEC3, GL_INT_VEC4,
    GL_UNSIGNED_INT, GL_UNSIGNED_INT_VEC2, GL_UNSIGNED_INT_VEC3, GL_UNSIGNED_INT_VEC4,
    GL_FLOAT, GL_FLOAT_VEC2, GL_FLOAT_VEC3, GL_FLOAT_VEC4,
    GL_DOUBLE, GL_INVALID_ENUM, GL_INVALID_ENUM, GL_INVALID_ENUM,
};

const GLenum kPrimitiveTypes[] = { GL_TRIANGLES, GL_TRIANGLE_STRIP, GL_LINES };

const GLenum kBufferUsages[] = { GL_STATIC_DRAW, GL_DYNAMIC_DRAW };

const GLenum kTextureTargets[] = { GL_TEXTURE_1D, GL_TEXTURE_2D, GL_TEXTURE_3D, GL_TEXTURE_CUBE_MAP };

const GLenum kPixelTypes[] = {
    GL_UNSIGNED_BYTE, GL_UNSIGNED_BYTE,
    GL_FLOAT, GL_FLOAT, GL_FLOAT, GL_FLOAT, GL_FLOAT, GL_FLOAT,
    GL_FLOAT, GL_FLOAT, GL_FLOAT,
};

const GLenum kPixelFormats[] = {
    GL_RGB, GL_RGBA, GL_RGB, GL_RGBA,
    GL_RGB16F, GL_RGBA16F, GL_RGB32F, GL_RGBA32F,
    GL_DEPTH_COMPONENT, GL_DEPTH_COMPONENT24, GL_DEPTH_COMPONENT32,
};

const GLenum kTextureUnits[] = {
    GL_TEXTURE0, GL_TEXTURE1, GL_TEXTURE2, GL_TEXTURE3, GL_TEXTURE4, GL_TEXTURE5,
    GL_TEXTURE6, GL_TEXTURE7, GL_TEXTURE8, GL_TEXTURE9, GL_TEXTURE10, GL_TEXTURE11,
    GL_TEXTURE12, GL_TEXTURE13, GL_TEXTURE14, GL_TEXTURE15, GL_TEXTURE16, GL_TEXTURE17,
};

const GLenum kFilters[] = {
    GL_NEAREST, GL_LINEAR,
    GL_NEAREST_MIPMAP_NEAREST, GL_NEAREST_MIPMAP_LINEAR,
    GL_LINEAR_MIPMAP_NEAREST, GL_LINEAR_MIPMAP_LINEAR,
};

const GLenum kWraps[] = { GL_CLAMP_TO_EDGE, GL_REPEAT, GL_CLAMP_TO_BORDER, GL_MIRRORED_REPEAT };

const GLenum kAttachments[] = {
    GL_COLOR_ATTACHMENT0, GL_COLOR_ATTACHMENT1, GL_COLOR_ATTACHMENT2,
    GL_COLOR_ATTACHMENT3, GL_COLOR_ATTACHMENT4, GL_COLOR_ATTACHMENT5,
    GL_DEPTH_ATTACHMENT,
};

static_assert(sizeof(kDataFormats) / sizeof(GLenum) == 24, "one entry per DataFormat");
static_assert(sizeof(kPixelTypes) == sizeof(kPixelFormats), "pixel tables share one index");
static_assert(sizeof(kTextureUnits) / sizeof(GLenum) == GLTextureUnit::Count, "18 texture units");
static_assert(sizeof(kAttachments) / sizeof(GLenum) == GLMaxColorAttachments + 1, "colour + depth");

template <std::size_t N>
GLenum Lookup(const GLenum (&table)[N], std::uint32_t index)
{
    return index < N ? table[index] : GLenum(GL_INVALID_ENUM);
}

// "%d.%d" at the start of a GL string; false when absent or unparsable.
bool ParseVersion(const GLubyte* text, int& major, int& minor)
{
    return text && std::sscanf(reinterpret_cast<const char*>(text), "%d.%d", &major, &minor) == 2;
}

} // namespace

GLenum GLDataFormat::Get(std::uint32_t dataFormat) { return Lookup(kDataFormats, dataFormat); }
GLenum GLPrimitiveType::Get(std::uint32_t primitiveType) { return Lookup(kPrimitiveTypes, primitiveType); }
GLenum GLTextureUnit::Get(std::uint32_t unit) { return Lookup(kTextureUnits, unit); }

GLenum GLMapBufferUsage(std::uint32_t usage) { return Lookup(kBufferUsages, usage); }
GLenum GLMapTextureTarget(std::uint32_t type) { return Lookup(kTextureTargets, type); }
GLenum GLMapPixelType(std::uint32_t pixelFormat) { return Lookup(kPixelTypes, pixelFormat); }
GLenum GLMapPixelFormat(std::uint32_t pixelFormat) { return Lookup(kPixelFormats, pixelFormat); }
GLenum GLMapFilter(std::uint32_t filter) { return Lookup(kFilters, filter); }
GLenum GLMapWrap(std::uint32_t wrap) { return Lookup(kWraps, wrap); }
GLenum GLMapAttachment(std::uint32_t attachment) { return Lookup(kAttachments, attachment); }

void GetGLVersion(int& glMajor, int& glMinor, int& glslMajor, int& glslMinor)
{
    if (!ParseVersion(glGetString(GL_VERSION), glMajor, glMinor)) {
        glMajor = glMinor = glslMajor = glslMinor = 0;
        return;
    }
    if (glMajor == 1) {
        // GL_EXTENSIONS is gone from forward-compatible contexts; a 1.x one has it.
        const GLubyte* ext = glGetString(GL_EXTENSIONS);
        if (ext && std::strstr(reinterpret_cast<const char*>(ext), "GL_ARB_shading_language_100")) {
            glslMajor = 1;
            glslMinor = 0;
        }
    } else if (glMajor >= 2) {
        if (!ParseVersion(glGetString(GL_SHADING_LANGUAGE_VERSION), glslMajor, glslMinor))
            glslMajor = glslMinor = 0;
    }
}

const char* GLErrorString(GLenum code)
{
    const GLubyte* text = gluErrorString(code);
    return text ? reinterpret_cast<const char*>(text) : "unknown GL error";
}

void CheckGLError(const std::string& what)
{
    // Bounded: a lost context may keep answering an error.
    for (int i = 0; i < 256; ++i) {
        const GLenum code = glGetError();
        if (code == GL_NO_ERROR)
            break;
        std::cout << "GL error" << (what.empty() ? "" : " while ") << what << ": " << GLErrorString(code)
                  << std::endl;
    }
}

} // namespace Vorm
