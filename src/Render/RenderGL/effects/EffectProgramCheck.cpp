#include "RenderGL/effects/EffectProgramCheck.h"

#include "Core/Rendering/ApiEffect.h"
#include "Core/Rendering/IRenderer.h"
#include "Core/Util/TSingleton.h"
#include "RenderGL/effects/api/glsl/GLSLProgram.h"
#include "RenderGL/effects/api/glsl/GLSLUniformParam.h"

namespace Vorm {

bool CheckEffectProgram(const char* effectFile, std::initializer_list<const char*> uniforms, std::string* error)
{
    IRenderer* renderer = TSingleton<IRenderer>::Instance();
    const boost::shared_ptr<ApiEffect> program = renderer->CreateApiEffect(effectFile, error);
    if (!program)
        return false;
    // Only GLSL programs have uniforms to look up.
    const GLSLProgram* glsl = dynamic_cast<const GLSLProgram*>(program.get());
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
    return true;
}

} // namespace Vorm
