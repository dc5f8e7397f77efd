#ifndef VORM_TESTS_GLREADBACK_H
#define VORM_TESTS_GLREADBACK_H

#include "Core/Rendering/ApiEffect.h"
#include "Core/Rendering/ITexture.h"
#include "Core/Scenegraph/Camera.h"
#include "RenderGL/texture/GLTexture.h"

#include <GL/glew.h>
#include <boost/shared_ptr.hpp>
#include <gtest/gtest.h>

#include <string>
#include <vector>

// Reads back what GL holds, for tests to compare with numbers.

struct Rgb
{
    float r, g, b;
};

// A window pixel, origin bottom-left.
struct ScreenPoint
{
    int x, y;
};

// Pops every queued GL error; returns the first (GL_NO_ERROR when none).
GLenum DrainGLErrors();

// RGBA bytes of the current read buffer at (x, y), origin bottom-left.
std::vector<int> PixelRgba(int x, int y);
// The whole w x h read buffer, RGBA rows from the bottom up.
std::vector<unsigned char> ReadRgba(int width, int height);
// The read buffer's depth values, rows from the bottom up.
std::vector<float> ReadDepth(int width, int height);
// The same pixel's colour as fractions of 255.
Rgb PixelRgb(int x, int y);

// The pixel of a width x height view where `camera` sees a world point
// (truncated; off the view when outside [0, width) x [0, height)).
ScreenPoint ScreenPixel(Vorm::Camera& camera, const Vector3<float>& world, int width, int height);

// Level 0 of a 2D texture, width x height texels read as format/type (RGBA
// bytes, or depths as floats), rows bottom first; the texture is unbound
// afterwards. A texture of another size fails the test and leaves `fill`.
template <typename T>
std::vector<T> ReadTexImage(const boost::shared_ptr<Vorm::ITexture>& texture, int width, int height, GLenum format,
                            GLenum type, T fill = T())
{
    const size_t components = format == GL_RGBA ? 4 : 1;
    std::vector<T> texels(size_t(width) * height * components, fill);
    texture->Bind();
    GLint w = -1, h = -1;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &h);
    // glGetTexImage writes the whole level: a bigger one would overrun the buffer.
    if (w == width && h == height) {
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(GL_TEXTURE_2D, 0, format, type, texels.data());
    } else {
        ADD_FAILURE() << "texture is " << w << " x " << h << ", expected " << width << " x " << height;
    }
    texture->Unbind();
    return texels;
}

// The first value glGetIntegerv gives for `what`.
GLint GLInt(GLenum what);
// The 2D texture bound on a texture unit; the active unit is left as it was.
GLint TextureOnUnit(int unit);
// A level parameter (e.g. GL_TEXTURE_WIDTH) of a texture's level on `target`
// (its own target or a cube face); the texture is unbound afterwards.
GLint TextureLevelParam(Vorm::GLTexture& texture, GLenum target, int level, GLenum pname);
// The GL name of an engine texture made by the GL renderer.
GLint TextureHandle(const boost::shared_ptr<Vorm::ITexture>& texture);

// The GL name of a GLSL program, or of the one a material program wraps.
GLuint ProgramHandle(const boost::shared_ptr<Vorm::ApiEffect>& effect);

// The first n float components of a program's uniform (a vector or a matrix).
std::vector<float> UniformFloats(GLuint program, const std::string& name, int n);
// One integer component of a program's uniform.
int UniformInt(GLuint program, const std::string& name, int component = 0);
// Elements name[0] to name[n - 1] of an integer (or sampler) array uniform.
std::vector<int> UniformIntArray(GLuint program, const std::string& name, int n);

#define EXPECT_RGB_NEAR(expected, actual, tol)                                                     \
    do {                                                                                          \
        const Rgb e_ = (expected), a_ = (actual);                                                 \
        EXPECT_NEAR(e_.r, a_.r, tol);                                                             \
        EXPECT_NEAR(e_.g, a_.g, tol);                                                             \
        EXPECT_NEAR(e_.b, a_.b, tol);                                                             \
    } while (0)

#endif
