// Planar water: renders the mirrored scene and sky, copies the frame with a
// water mask in its alpha, then draws the surfaces mixing the two images.
#ifndef VORM_RENDERGL_EFFECTS_GLWATEREFFECT_H
#define VORM_RENDERGL_EFFECTS_GLWATEREFFECT_H

#include "Core/Math/Matrix44.h"
#include "Core/Math/Plane.h"
#include "Core/Rendering/IEffect.h"
#include "RenderGL/effects/GLSkyboxEffect.h"
#include "RenderGL/effects/api/glsl/GLSLUniformParam.h"

#include <boost/shared_ptr.hpp>

#include <string>
#include <vector>

namespace Vorm {

class ApiEffect;
class Geometry;
class IRenderTarget;
class ITexture;
class TriangleMesh;

class GLWaterEffect : public IEffect
{
public:
    // The effect files this effect loads its program from.
    static constexpr const char* kEffectFile = "WaterEffect.glslfx";
    static constexpr const char* kAlphaMaskEffectFile = "WaterAlphaMaskEffect.glslfx";

    // Whether both programs (and the sky box's) build, the surface program
    // has the samplers the effect uses and both read only vertex inputs the
    // water meshes give (see CheckEffectProgram); the constructor and the
    // drawing assert on these.
    static bool CheckPrograms(std::string* error);

    // Needs a current GL context and the renderer singleton; both targets
    // take the renderer's viewport size as it is now.
    GLWaterEffect();
    ~GLWaterEffect() override;

    GLWaterEffect(const GLWaterEffect&) = delete;
    GLWaterEffect& operator=(const GLWaterEffect&) = delete;

    // Remakes both images at the new size when the window's size changed
    // (their content is drawn anew every frame); no size (a minimised
    // window) keeps them.
    void Resize(int width, int height);
    // Builds the mirror matrix and the reflection pass's clip plane.
    void SetWaterPlane(const Plane& plane);
    // Meshes drawn mirrored, each with its own material; not owned.
    void SetReflectedMeshes(const std::vector<TriangleMesh*>& meshes);
    void SetWaterGeometries(const std::vector<boost::shared_ptr<Geometry>>& geometries);
    // Advances the ripple time by dt * 0.006.
    void Update(float dt);
    // Reflection pass, refraction pass (a copy of the frame drawn so far),
    // then the water surfaces. Afterwards: viewport, cull mode and lights as
    // before, clip plane off, clear colour (0, 0, 0, 0), all colour channels
    // writable, the surface program current. Draws nothing without both
    // programs.
    void Render();
    // Render's three passes in its order; public so that each can be timed.
    void RenderReflection();
    void RenderRefraction();
    void RenderSurface();

    IRenderTarget* GetReflectionTarget() const { return m_pReflectionTarget; }
    IRenderTarget* GetRefractionTarget() const { return m_pRefractionTarget; }
    const Plane& GetClipPlane() const { return m_clipPlane; }
    const Matrix44<float>& GetReflectionMatrix() const { return m_reflection; }
    float GetRippleTime() const { return m_fRippleTime; }
    const std::vector<TriangleMesh*>& GetReflectedMeshes() const { return m_reflectedMeshes; }
    const std::vector<boost::shared_ptr<Geometry>>& GetWaterGeometries() const { return m_waterGeometries; }

private:
    int m_iWidth;
    int m_iHeight;
    std::vector<TriangleMesh*> m_reflectedMeshes;
    std::vector<boost::shared_ptr<Geometry>> m_waterGeometries;
    boost::shared_ptr<ITexture> m_spRippleTexture;
    IRenderTarget* m_pReflectionTarget;
    IRenderTarget* m_pRefractionTarget;
    Plane m_clipPlane;
    Matrix44<float> m_reflection;
    float m_fRippleTime;
    boost::shared_ptr<ApiEffect> m_spApiEffect;
    boost::shared_ptr<ApiEffect> m_spApiEffectAlphaMask;
    GLSLUniformParam m_samplerReflection;
    GLSLUniformParam m_samplerRefraction;
    GLSLUniformParam m_samplerRipples;
    GLSLUniformParam m_deltaTime;
    GLSkyboxEffect m_skybox;
    bool m_bReported;
};

} // namespace Vorm

#endif
