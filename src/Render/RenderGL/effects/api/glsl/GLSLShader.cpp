#include "RenderGL/effects/api/glsl/GLSLShader.h"

#include "Core/File/File.h"
#include "Core/Memory/MemTracker.h"
#include "RenderGL/GLUtil.h"

#include <GL/glew.h>

#include <vector>

namespace Vorm {

namespace {

// Geometry shaders exist from GL 3.2 on; asking an older context for one
// would only queue GL_INVALID_ENUM. The context's own version counts: GLEW's
// version flags also report versions whose entry points merely load.
bool ContextSupports(unsigned type)
{
    if (type != GL_GEOMETRY_SHADER)
        return true;
    int major = 0, minor = 0, glslMajor = 0, glslMinor = 0;
    GetGLVersion(major, minor, glslMajor, glslMinor);
    return major > 3 || (major == 3 && minor >= 2);
}

} // namespace

GLSLShader::GLSLShader(const std::string& path, unsigned type)
    : m_type(type), m_path(path), m_handle(0)
{
    if (ContextSupports(type))
        m_handle = glCreateShader(type);
}

GLSLShader::~GLSLShader()
{
    if (m_handle != 0)
        glDeleteShader(m_handle);
}

bool GLSLShader::Compile(std::string& log)
{
    File file(m_path);
    if (!file.Open(File::kScriptLimit))
        return false;

    if (m_handle == 0) {
        log = "shader type not supported by this GL context: " + m_path;
        return false;
    }

    const int size = file.GetSize();
    char* source = VORM_NEW char[size + 1];
    const int read = file.Read(source, size);
    source[read] = '\0';
    file.Close();

    const char* text = source;
    glShaderSource(m_handle, 1, &text, nullptr);
    glCompileShader(m_handle);
    VORM_DELETE[] source;

    GLint status = GL_FALSE;
    glGetShaderiv(m_handle, GL_COMPILE_STATUS, &status);
    if (status != GL_FALSE)
        return true;

    GLint length = 0;
    glGetShaderiv(m_handle, GL_INFO_LOG_LENGTH, &length);
    std::vector<char> buffer(length > 0 ? length : 1, '\0');
    glGetShaderInfoLog(m_handle, static_cast<GLsizei>(buffer.size()), nullptr, buffer.data());
    log = buffer.data();
    return false;
}

} // namespace Vorm
