// Effect file parser: runs without GL. An accepted text yields named blocks
// and non-empty shader file names; a rejected one says why.
#include "FuzzSupport.h"

#include "RenderGL/effects/api/glsl/GLSLEffectSystem.h"

using FuzzSupport::Check;
using Vorm::GLSLEffectSystem;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::vector<GLSLEffectSystem::TechniqueDesc> techniques;
    std::string error;
    if (!GLSLEffectSystem::ParseEffect(text, techniques, error)) {
        Check(!error.empty(), "rejected without a reason");
        return 0;
    }
    for (const GLSLEffectSystem::TechniqueDesc& t : techniques) {
        Check(!t.m_name.empty() && t.m_name.size() <= GLSLEffectSystem::kMaxBlockName + 20, "technique name");
        for (const GLSLEffectSystem::PassDesc& p : t.m_passes) {
            Check(!p.m_name.empty() && p.m_name.size() <= GLSLEffectSystem::kMaxBlockName + 20, "pass name");
            const std::vector<std::string>* lists[] = {&p.m_vertexShaders, &p.m_fragmentShaders,
                                                       &p.m_geometryShaders};
            for (const std::vector<std::string>* names : lists)
                for (const std::string& name : *names)
                    Check(!name.empty() && text.find(name) != std::string::npos, "shader file name");
        }
    }
    return 0;
}
