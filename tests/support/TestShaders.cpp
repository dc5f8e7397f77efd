#include "TestShaders.h"

#include "RenderGL/effects/api/glsl/GLSLShader.h"

#include <GL/glew.h>
#include <boost/shared_ptr.hpp>

namespace TestShaders {

const char* PositionVS()
{
    return "#version 140\n"
           "in vec3 pos;\n"
           "uniform mat4 Matrix_MVP;\n"
           "void main() { gl_Position = Matrix_MVP * vec4(pos, 1.0); }\n";
}

const char* ColorFS()
{
    return "#version 140\n"
           "uniform vec4 Color;\n"
           "out vec4 fragColor;\n"
           "void main() { fragColor = Color; }\n";
}

std::string Effect(const std::string& vs, const std::string& fs)
{
    return "technique main {\n  pass p0 {\n    VertexShader = <" + vs + ">;\n    FragmentShader = <" + fs +
           ">;\n  }\n}\n";
}

void WriteFlat(const TempFolder& folder)
{
    folder.Write("pos.vert", PositionVS());
    folder.Write("color.frag", ColorFS());
    folder.Write("Flat.glslfx", Effect("pos.vert", "color.frag"));
}

std::unique_ptr<Vorm::GLSLProgram> BuildProgram(const TempFolder& folder, const std::string& vs,
                                                const std::string& fs, std::string& log, bool* linked)
{
    // Fresh file names: the shaders of one folder may differ from call to call.
    static int s_fileNumber = 0;
    const std::string stem = "prog" + std::to_string(++s_fileNumber);
    boost::shared_ptr<Vorm::GLSLShader> v(new Vorm::GLSLShader(folder.Write(stem + ".vert", vs), GL_VERTEX_SHADER));
    boost::shared_ptr<Vorm::GLSLShader> f(new Vorm::GLSLShader(folder.Write(stem + ".frag", fs), GL_FRAGMENT_SHADER));
    v->Compile(log);
    f->Compile(log);
    std::unique_ptr<Vorm::GLSLProgram> program(new Vorm::GLSLProgram());
    program->AttachShader(v);
    program->AttachShader(f);
    const bool ok = program->Link(log);
    if (linked)
        *linked = ok;
    return program;
}

bool ContextOffersGL32()
{
    GLint major = 0, minor = 0;
    glGetIntegerv(GL_MAJOR_VERSION, &major);
    glGetIntegerv(GL_MINOR_VERSION, &minor);
    return major > 3 || (major == 3 && minor >= 2);
}

} // namespace TestShaders
