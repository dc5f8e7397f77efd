#ifndef VORM_RENDERGL_GLSLSHADER_H
#define VORM_RENDERGL_GLSLSHADER_H

#include <string>

namespace Vorm {

// One GL shader object made from one source file. Shared between programs
// through boost::shared_ptr; the GL object lives as long as the last owner.
class GLSLShader
{
public:
    // type: GL_VERTEX_SHADER, GL_FRAGMENT_SHADER or GL_GEOMETRY_SHADER.
    // A GL context must be current.
    GLSLShader(const std::string& path, unsigned type);
    ~GLSLShader();

    GLSLShader(const GLSLShader&) = delete;
    GLSLShader& operator=(const GLSLShader&) = delete;

    // Reads the source file and compiles it. false: the file did not open
    // (log untouched), the shader object could not be created, or the
    // compiler refused the source (its info log in `log`).
    bool Compile(std::string& log);

    // GL shader name; 0 when the context cannot create this shader type.
    unsigned GetHandle() const { return m_handle; }
    unsigned GetType() const { return m_type; }
    const std::string& GetPath() const { return m_path; }

private:
    unsigned m_type;
    std::string m_path;
    unsigned m_handle;
};

} // namespace Vorm

#endif
