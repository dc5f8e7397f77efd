// Fills the depth textures of a light's shadow-map splits once per frame by
// drawing the caller's shadow casters from the light with one program.
#ifndef VORM_RENDERGL_EFFECTS_GLSHADOWMAPPINGEFFECT_H
#define VORM_RENDERGL_EFFECTS_GLSHADOWMAPPINGEFFECT_H

#include "Core/Rendering/IEffect.h"
#include "RenderGL/effects/api/glsl/GLSLUniformParam.h"

#include <boost/shared_ptr.hpp>

#include <string>

#include <vector>

namespace Vorm {

class ApiEffect;
class Geometry;
class Light;

class GLShadowMappingEffect : public IEffect
{
public:
    // The effect file this effect loads its program from.
    static constexpr const char* kEffectFile = "ShadowMapping.glslfx";

    // Whether the effect's program builds, has the uniforms the effect uses
    // and reads only vertex inputs its geometry gives (see
    // CheckEffectProgram); the constructor and the drawing assert on these.
    static bool CheckProgram(std::string* error);

    // Needs a current GL context and the renderer singleton.
    GLShadowMappingEffect();
    ~GLShadowMappingEffect() override;

    GLShadowMappingEffect(const GLShadowMappingEffect&) = delete;
    GLShadowMappingEffect& operator=(const GLShadowMappingEffect&) = delete;

    // Updates the light's split matrices for the renderer's camera, then per
    // split clears the depth and draws every caster. The viewport is restored;
    // the shadow program stays current. Without a usable program the splits
    // are only cleared, so nothing is shadowed.
    void Render(boost::shared_ptr<Light> light, const std::vector<Geometry*>& casters);

    boost::shared_ptr<ApiEffect> GetApiEffect() const { return m_spApiEffect; }

private:
    boost::shared_ptr<ApiEffect> m_spApiEffect;
    GLSLUniformParam m_matrixLVP;
    bool m_bReported;
};

} // namespace Vorm

#endif
