#include "RenderGL/effects/EffectProgramCheck.h"

#include "Core/Rendering/ApiEffect.h"
#include "Core/Rendering/IRenderer.h"
#include "Core/Util/TSingleton.h"
#include "RenderGL/effects/api/glsl/GLSLMaterialProgram.h"
#include "RenderGL/effects/api/glsl/GLSLProgram.h"
#include "RenderGL/effects/api/glsl/GLSLShader.h"
#include "RenderGL/effects/api/glsl/GLSLUniformParam.h"

#include <GL/glew.h>

namespace Vorm {

namespace {

const GLSLProgram* AsGLSL(const ApiEffect& program)
{
    if (const GLSLMaterialProgram* material = dynamic_cast<const GLSLMaterialProgram*>(&program))
        return dynamic_cast<const GLSLProgram*>(material->GetProgram().get());
    return dynamic_cast<const GLSLProgram*>(&program);
}

// The vertex shader files of the program: the input is declared in one of them.
std::string VertexShaders(const GLSLProgram& program)
{
    std::string files;
    for (const boost::shared_ptr<GLSLShader>& shader : program.GetShaders()) {
        if (shader->GetType() == GL_VERTEX_SHADER)
            files += (files.empty() ? "" : " and ") + shader->GetPath();
    }
    return files;
}

std::string Names(const VertexFormat& format)
{
    std::string names;
    for (const auto& attribute : format.m_attributes)
        names += (names.empty() ? "\"" : ", \"") + attribute.first + "\"";
    return names;
}

} // namespace

bool CheckEffectProgram(const char* effectFile, std::initializer_list<const char*> uniforms,
                        std::initializer_list<VertexFormat> geometry, std::string* error)
{
    IRenderer* renderer = TSingleton<IRenderer>::Instance();
    const boost::shared_ptr<ApiEffect> program = renderer->CreateApiEffect(effectFile, error);
    if (!program)
        return false;
    // Only GLSL programs have uniforms to look up.
    const GLSLProgram* glsl = AsGLSL(*program);
    if (!glsl)
        return true;
    for (const char* name : uniforms) {
        GLSLUniformParam handle;
        if (!glsl->GetUniform(name, handle)) {
            if (error)
                *error = renderer->GetEffectsPath() + effectFile + ": its program has no uniform \"" + name + "\"";
            return false;
        }
    }
    return CheckVertexInputs(effectFile, *program, geometry, error);
}

bool CheckVertexInputs(const char* effectFile, const ApiEffect& program, std::initializer_list<VertexFormat> geometry,
                       std::string* error)
{
    const GLSLProgram* glsl = AsGLSL(program);
    if (!glsl)
        return true;
    for (const VertexFormat& format : geometry) {
        const GLSLVertexParam* input = glsl->FindUnfedInput(format.m_attributes);
        if (!input)
            continue;
        if (error) {
            const std::string start = VertexShaders(*glsl) + " (of " +
                                      TSingleton<IRenderer>::Instance()->GetEffectsPath() + effectFile +
                                      "): its vertex input \"" + input->m_name + "\" ";
            if (!format.GetAttribute(input->m_name))
                *error = start + "is not among the attributes of the geometry it draws (" + Names(format) + ")";
            else
                *error = start + "differs in type or size from the attribute of the geometry it draws";
        }
        return false;
    }
    return true;
}

} // namespace Vorm
