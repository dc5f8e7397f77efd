#ifndef VORM_RENDERGL_EFFECTS_GLMATERIALEFFECT_H
#define VORM_RENDERGL_EFFECTS_GLMATERIALEFFECT_H

#include "Core/Rendering/IMaterialEffect.h"

#include <boost/shared_ptr.hpp>

#include <string>

namespace Vorm {

class ApiEffect;
class GLSLUniformParam;

// OpenGL material: every material shares the one material program of
// "MaterialEffect.glslfx"; each uploads its own values into that program's
// uniforms just before its mesh is drawn. The renderer's effect system owns
// the program; the materials only refer to it, so it goes with the renderer.
// A GL context and the renderer singleton must exist when the first material
// is constructed.
class GLMaterialEffect : public IMaterialEffect
{
public:
    // The effect file this effect loads its program from.
    static constexpr const char* kEffectFile = "MaterialEffect.glslfx";

    // Whether the material program builds and reads only vertex inputs that
    // meshes and terrain cells give; `error` then names the file at fault.
    // (A uniform the program lacks only leaves its handle empty.)
    static bool CheckProgram(std::string* error);

    // Texture units of the material's slots; 5 to 7 hold the shadow maps.
    enum TextureUnit
    {
        eUnit_Ambient = 0,
        eUnit_Diffuse = 1,
        eUnit_Specular = 2,
        eUnit_Specularity = 3,
        eUnit_NormalMap = 4,
        eUnit_Count = 5
    };

    GLMaterialEffect();
    ~GLMaterialEffect() override;

    // The maker the renderer registers with MaterialEffectFactory.
    static IMaterialEffect* Make();

    GLMaterialEffect(const GLMaterialEffect&) = delete;
    GLMaterialEffect& operator=(const GLMaterialEffect&) = delete;

    // The shared material program (empty once its renderer is gone); make it
    // current before Apply.
    boost::shared_ptr<ApiEffect> GetApiEffect() override;
    // Uploads camera, clip plane, flags, active lights, colours and textures.
    void Apply() override;
};

} // namespace Vorm

#endif
