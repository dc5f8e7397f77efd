#include "GLReadBack.h"

#include "RenderGL/effects/api/glsl/GLSLMaterialProgram.h"
#include "RenderGL/effects/api/glsl/GLSLProgram.h"

GLenum DrainGLErrors()
{
    GLenum first = GL_NO_ERROR;
    for (int i = 0; i < 64; ++i) {
        const GLenum e = glGetError();
        if (e == GL_NO_ERROR)
            break;
        if (first == GL_NO_ERROR)
            first = e;
    }
    return first;
}

std::vector<int> PixelRgba(int x, int y)
{
    unsigned char px[4] = {0, 0, 0, 0};
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, px);
    return {px[0], px[1], px[2], px[3]};
}

std::vector<unsigned char> ReadRgba(int width, int height)
{
    std::vector<unsigned char> rgba(size_t(width) * height * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    return rgba;
}

std::vector<float> ReadDepth(int width, int height)
{
    std::vector<float> depth(size_t(width) * height);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_DEPTH_COMPONENT, GL_FLOAT, depth.data());
    return depth;
}

Rgb PixelRgb(int x, int y)
{
    const std::vector<int> px = PixelRgba(x, y);
    return {px[0] / 255.0f, px[1] / 255.0f, px[2] / 255.0f};
}

ScreenPoint ScreenPixel(Vorm::Camera& camera, const Vector3<float>& world, int width, int height)
{
    const Vector4<float> clip =
        camera.GetProjectionMatrix() * (camera.GetViewMatrix() * Vector4<float>(world.x, world.y, world.z, 1.0f));
    return {int((clip.x / clip.w * 0.5f + 0.5f) * width), int((clip.y / clip.w * 0.5f + 0.5f) * height)};
}

GLint GLInt(GLenum what)
{
    // Room for queries that give several values.
    GLint v[4] = {-1, -1, -1, -1};
    glGetIntegerv(what, v);
    return v[0];
}

GLint TextureOnUnit(int unit)
{
    const GLint active = GLInt(GL_ACTIVE_TEXTURE);
    glActiveTexture(GLenum(GL_TEXTURE0 + unit));
    const GLint bound = GLInt(GL_TEXTURE_BINDING_2D);
    glActiveTexture(GLenum(active));
    return bound;
}

GLint TextureLevelParam(Vorm::GLTexture& texture, GLenum target, int level, GLenum pname)
{
    GLint v = -1;
    texture.Bind();
    glGetTexLevelParameteriv(target, level, pname, &v);
    texture.Unbind();
    return v;
}

GLint TextureHandle(const boost::shared_ptr<Vorm::ITexture>& texture)
{
    const Vorm::GLTexture* gl = dynamic_cast<const Vorm::GLTexture*>(texture.get());
    EXPECT_NE(nullptr, gl);
    return gl ? GLint(gl->GetHandle()) : -1;
}

GLuint ProgramHandle(const boost::shared_ptr<Vorm::ApiEffect>& effect)
{
    if (const auto* material = dynamic_cast<const Vorm::GLSLMaterialProgram*>(effect.get()))
        return ProgramHandle(material->GetProgram());
    const auto* program = dynamic_cast<const Vorm::GLSLProgram*>(effect.get());
    EXPECT_NE(nullptr, program);
    return program ? program->GetHandle() : 0;
}

namespace {

GLint Location(GLuint program, const std::string& name)
{
    const GLint location = glGetUniformLocation(program, name.c_str());
    EXPECT_NE(-1, location) << name;
    return location;
}

} // namespace

std::vector<float> UniformFloats(GLuint program, const std::string& name, int n)
{
    std::vector<float> v(16, -99.0f);
    glGetUniformfv(program, Location(program, name), v.data());
    v.resize(n);
    return v;
}

int UniformInt(GLuint program, const std::string& name, int component)
{
    GLint v[4] = {-99, -99, -99, -99};
    glGetUniformiv(program, Location(program, name), v);
    return v[component];
}

std::vector<int> UniformIntArray(GLuint program, const std::string& name, int n)
{
    std::vector<int> v;
    for (int i = 0; i < n; ++i)
        v.push_back(UniformInt(program, name + "[" + std::to_string(i) + "]"));
    return v;
}
