#ifndef VORM_RENDERGL_EFFECTS_GLGRASSEFFECT_H
#define VORM_RENDERGL_EFFECTS_GLGRASSEFFECT_H

// Draws the terrain's grass patch with the program of "GrassEffect.glslfx",
// which stands every clump up around its anchor, facing the camera.
#include "Core/Math/Vector3.h"
#include "Core/Rendering/IEffect.h"
#include "RenderGL/effects/api/glsl/GLSLUniformParam.h"

#include <boost/shared_ptr.hpp>

#include <string>
#include <vector>

namespace Vorm {

class ApiEffect;
class GrassPatch;
class ITexture;

class GLGrassEffect : public IEffect
{
public:
    // The effect file this effect loads its program from.
    static constexpr const char* kEffectFile = "GrassEffect.glslfx";

    // Whether the effect's program builds, has the uniforms the effect uses
    // and reads only vertex inputs its geometry gives (see
    // CheckEffectProgram); the constructor and the drawing assert on these.
    static bool CheckProgram(std::string* error);

    // Needs the GL renderer singleton and its context.
    GLGrassEffect();
    ~GLGrassEffect() override;

    GLGrassEffect(const GLGrassEffect&) = delete;
    GLGrassEffect& operator=(const GLGrassEffect&) = delete;

    // The current camera's location, right and up vectors, before Render.
    void SetCameraVectors(const Vector3<float>& position, const Vector3<float>& right, const Vector3<float>& up);
    // Leaves the grass program current and both textures bound (units 0 and 1).
    void Render(GrassPatch* patch);

    boost::shared_ptr<ApiEffect> GetApiEffect() const { return m_spApiEffect; }
    boost::shared_ptr<ITexture> GetClumpTexture() const { return m_spClumpTexture; }
    boost::shared_ptr<ITexture> GetNoiseTexture() const { return m_spNoiseTexture; }

    // Far limit handed to the program every frame.
    static constexpr float kFarDistance = 10000.0f;

private:
    void Draw(const std::vector<GrassPatch*>& patches);

    Vector3<float> m_camUp;
    Vector3<float> m_camRight;
    Vector3<float> m_camPosition;
    boost::shared_ptr<ApiEffect> m_spApiEffect;
    GLSLUniformParam m_camUpParam;
    GLSLUniformParam m_camRightParam;
    GLSLUniformParam m_camPositionParam;
    GLSLUniformParam m_farDistParam;
    boost::shared_ptr<ITexture> m_spClumpTexture;
    GLSLUniformParam m_texGrassParam;
    boost::shared_ptr<ITexture> m_spNoiseTexture;
    GLSLUniformParam m_texGrassNoiseParam;
};

} // namespace Vorm

#endif
