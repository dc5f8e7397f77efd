#ifndef VORM_RENDER_RENDERGL_GLUTIL_H
#define VORM_RENDER_RENDERGL_GLUTIL_H

#include <GL/glew.h>

#include <cstdint>
#include <string>

namespace Vorm {

// Version of the current context and of its shading language. Unparsable
// version text gives zeros (see the source for the rules).
void GetGLVersion(int& glMajor, int& glMinor, int& glslMajor, int& glslMinor);

// Pops every queued GL error and writes it to standard output, one line
// each, naming what was being done: "GL error while <what>: <text>".
void CheckGLError(const std::string& what = std::string());

// Text of a GL error code; never null (codes GLU does not know get a
// generic text).
const char* GLErrorString(GLenum code);

// Engine enum -> GL enum tables. Every lookup answers GL_INVALID_ENUM for an
// index past its table, so a bad index shows up as a GL error instead of a
// read past the table.

// Indexed by DataFormat (24 entries).
namespace GLDataFormat {
GLenum Get(std::uint32_t dataFormat);
}
// Indexed by the geometry's primitive type: triangles, strip, lines.
namespace GLPrimitiveType {
GLenum Get(std::uint32_t primitiveType);
}
// GL_TEXTURE0 .. GL_TEXTURE17.
namespace GLTextureUnit {
GLenum Get(std::uint32_t unit);
const std::uint32_t Count = 18;
}

GLenum GLMapBufferUsage(std::uint32_t usage);       // 0 static, 1 dynamic
GLenum GLMapTextureTarget(std::uint32_t type);      // 0 1D, 1 2D, 2 3D, 3 cube map
GLenum GLMapPixelType(std::uint32_t pixelFormat);   // component type of a pixel format
GLenum GLMapPixelFormat(std::uint32_t pixelFormat); // GL format of a pixel format
GLenum GLMapFilter(std::uint32_t filter);
GLenum GLMapWrap(std::uint32_t wrap);
GLenum GLMapAttachment(std::uint32_t attachment);   // 0..5 colour, 6 depth

// Colour attachments GLMapAttachment knows.
const std::uint32_t GLMaxColorAttachments = 6;

} // namespace Vorm

#endif
