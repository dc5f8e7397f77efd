// Sky box: a unit cube with a cube map, centred on the camera and drawn at the
// far plane after the opaque scene, so it fills only what is still empty.
#ifndef VORM_RENDERGL_EFFECTS_GLSKYBOXEFFECT_H
#define VORM_RENDERGL_EFFECTS_GLSKYBOXEFFECT_H

#include "Core/Math/Matrix44.h"
#include "Core/Rendering/IEffect.h"
#include "Core/Scenegraph/mesh/TriangleMesh.h"
#include "RenderGL/effects/api/glsl/GLSLUniformParam.h"

#include <boost/shared_ptr.hpp>

#include <string>

namespace Vorm {

class ApiEffect;
class ITexture;

class GLSkyboxEffect : public IEffect
{
public:
    // The effect file this effect loads its program from.
    static constexpr const char* kEffectFile = "SkyboxEffect.glslfx";

    // Whether the effect's program builds, has the uniforms the effect uses
    // and reads only vertex inputs its geometry gives (see
    // CheckEffectProgram); the constructor and the drawing assert on these.
    static bool CheckProgram(std::string* error);

    // Needs a current GL context and the renderer singleton.
    GLSkyboxEffect();
    ~GLSkyboxEffect() override;

    GLSkyboxEffect(const GLSkyboxEffect&) = delete;
    GLSkyboxEffect& operator=(const GLSkyboxEffect&) = delete;

    // Loads the six faces "px_", "py_", "pz_", "nx_", "ny_", "nz_" + name
    // from the texture folder, top row first; while another sky box holds
    // the cube map of that name, shares it instead (same faces, same
    // sampling).
    void SetCubemap(const std::string& name);
    // The sky's world matrix before it is centred on the camera (the water's
    // mirror pass sets its reflection matrix here).
    void SetMatrix(const Matrix44<float>& matrix);
    // Culling off and depth function less-or-equal while it draws; afterwards
    // the cull mode it found and depth function less. Draws nothing without
    // its program or before SetCubemap.
    void Render();

    boost::shared_ptr<ApiEffect> GetApiEffect() const { return m_spApiEffect; }
    boost::shared_ptr<ITexture> GetCubemap() const { return m_spCubemap; }

private:
    boost::shared_ptr<ITexture> m_spCubemap;
    TriangleMesh m_box;
    Matrix44<float> m_matrix;
    boost::shared_ptr<ApiEffect> m_spApiEffect;
    GLSLUniformParam m_samplerCubemap;
    bool m_bReported;
};

} // namespace Vorm

#endif
