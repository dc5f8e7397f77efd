#include "RenderGL/effects/GLMaterialEffect.h"

#include "Core/Math/Plane.h"
#include "Core/Memory/MemTracker.h"
#include "Core/Rendering/ApiEffect.h"
#include "Core/Rendering/IRenderer.h"
#include "Core/Rendering/ITexture.h"
#include "Core/Rendering/VertexTypes.h"
#include "Core/Scenegraph/Camera.h"
#include "Core/Scenegraph/Light.h"
#include "Core/Terrain/base/TerrainVertex.h"
#include "Core/Util/TSingleton.h"
#include "RenderGL/effects/EffectProgramCheck.h"
#include "RenderGL/effects/api/glsl/GLSLMaterialProgram.h"
#include "RenderGL/effects/api/glsl/GLSLUniformParam.h"

#include <GL/glew.h>

#include <boost/weak_ptr.hpp>

#include <algorithm>
#include <string>
#include <vector>

namespace Vorm {

namespace {

enum UniformSlot
{
    eShadingType,
    eCameraPosition,
    eClippingPlane,
    eColorAmbient,
    eColorDiffuse,
    eColorSpecular,
    eColorSpecularity,
    eTexAmbient,
    eTexDiffuse,
    eTexSpecular,
    eTexSpecularity,
    eTexNormalMap,
    eTexUsage,
    eShadowReceiver,
    eLightIndices,
    eNmbLightIndices,
    eUniformCount
};

const std::string s_uniformNames[eUniformCount] = {
    "Shading_Type",  "Camera_Position", "Clipping_Plane",    "Color_Ambient",
    "Color_Diffuse", "Color_Specular",  "Color_Specularity", "Tex_Ambient",
    "Tex_Diffuse",   "Tex_Specular",    "Tex_Specularity",   "Tex_NormalMap",
    "Tex_Usage",     "Shadow_Receiver", "Light_Indices",     "Nmb_LightIndices"};

// The program the renderer handed out for the materials, and its uniform
// handles, looked up once. Not an owner: the renderer's effect system holds
// the program, and the reference expires with it.
boost::weak_ptr<ApiEffect> s_wpMaterialProgram;
GLSLUniformParam s_uniforms[eUniformCount];

void ResetUniforms()
{
    for (int i = 0; i < eUniformCount; ++i)
        s_uniforms[i] = GLSLUniformParam();
}

} // namespace

bool GLMaterialEffect::CheckProgram(std::string* error)
{
    const boost::shared_ptr<ApiEffect> program =
        TSingleton<IRenderer>::Instance()->CreateMaterialApiEffect(kEffectFile, error);
    // Materials draw the meshes of the mesh reader and the terrain's cells.
    return program &&
           CheckVertexInputs(kEffectFile, *program, {VT_PosNorTexTan::GetFormat(), TerrainVertex::GetFormat()}, error);
}

IMaterialEffect* GLMaterialEffect::Make()
{
    return VORM_NEW GLMaterialEffect();
}

GLMaterialEffect::GLMaterialEffect()
    : IMaterialEffect()
{
    if (!s_wpMaterialProgram.expired())
        return;
    const boost::shared_ptr<ApiEffect> shared =
        TSingleton<IRenderer>::Instance()->CreateMaterialApiEffect(kEffectFile);
    s_wpMaterialProgram = shared;
    ResetUniforms();
    if (GLSLMaterialProgram* program = dynamic_cast<GLSLMaterialProgram*>(shared.get())) {
        for (int i = 0; i < eUniformCount; ++i)
            program->GetUniform(s_uniformNames[i], s_uniforms[i]);
    }
}

GLMaterialEffect::~GLMaterialEffect()
{
}

boost::shared_ptr<ApiEffect> GLMaterialEffect::GetApiEffect()
{
    return s_wpMaterialProgram.lock();
}

void GLMaterialEffect::Apply()
{
    // Handles of a program that went with its renderer must not reach the
    // program that is current now.
    if (__builtin_expect(s_wpMaterialProgram.expired(), 0))
        ResetUniforms();
    IRenderer* renderer = TSingleton<IRenderer>::Instance();

    if (const Camera* camera = renderer->GetCamera())
        s_uniforms[eCameraPosition].SetFloat3v(camera->GetLocation());
    s_uniforms[eClippingPlane].SetFloat4v(renderer->GetClipPlane().ToVector4());
    s_uniforms[eShadingType].SetInt(m_iShadingType);
    s_uniforms[eShadowReceiver].SetInt(m_bShadowReceiver ? 1 : 0);

    // The shader visits each listed light once, in list order, and has room
    // for the program's lights 0 to 7: repeats, indices beyond those and
    // indices that name no enabled light of the renderer go before the list
    // is cut to that size, so that no light after them is lost.
    const std::vector<boost::shared_ptr<Light> >& lights = renderer->GetLights();
    const size_t named = std::min<size_t>(lights.size(), GLSLMaterialProgram::kMaxLights);
    // Apply runs once per mesh and frame, on the render thread only: reusing
    // the list keeps it from allocating every time.
    static std::vector<int> active;
    active.clear();
    for (size_t i = 0; i < m_lightIndices.size() && active.size() < GLSLMaterialProgram::kMaxLights; ++i) {
        const int index = m_lightIndices[i];
        if (index < 0 || static_cast<size_t>(index) >= named)
            continue;
        const boost::shared_ptr<Light>& light = lights[static_cast<size_t>(index)];
        if (light && light->IsEnabled() && std::find(active.begin(), active.end(), index) == active.end())
            active.push_back(index);
    }
    if (!active.empty())
        s_uniforms[eLightIndices].SetIntArray(active.data(), 1, static_cast<int>(active.size()));
    s_uniforms[eNmbLightIndices].SetInt(static_cast<int>(active.size()));

    s_uniforms[eColorAmbient].SetFloat4v(m_ambientColor);
    s_uniforms[eColorDiffuse].SetFloat4v(m_diffuseColor);
    s_uniforms[eColorSpecular].SetFloat4v(m_specularColor);
    s_uniforms[eColorSpecularity].SetFloat(m_fSpecularity);

    // Units are fixed per slot, whether or not the slots before hold textures.
    const boost::shared_ptr<ITexture>* textures[eUnit_Count] = {
        &m_spAmbientTexture, &m_spDiffuseTexture, &m_spSpecularTexture, &m_spSpecularityTexture,
        &m_spNormalMap};
    const int samplers[eUnit_Count] = {eTexAmbient, eTexDiffuse, eTexSpecular, eTexSpecularity,
                                       eTexNormalMap};
    // What each slot binds. An ambient slot that holds the diffuse slot's
    // texture binds nothing and is read from the diffuse look-up (usage 2):
    // the same texels, one look-up fewer.
    const bool ambientIsDiffuse = m_spAmbientTexture && m_spAmbientTexture == m_spDiffuseTexture;
    ITexture* bound[eUnit_Count];
    for (int unit = 0; unit < eUnit_Count; ++unit)
        bound[unit] = unit == eUnit_Ambient && ambientIsDiffuse ? nullptr : textures[unit]->get();
    int usage[eUnit_Count] = {ambientIsDiffuse ? 2 : 0, 0, 0, 0, 0};
    // A slot that binds nothing still names its own unit, and that unit is
    // emptied: the shader must not read another drawer's texture there, and
    // the software rasteriser skips a look-up into a unit without a texture.
    // These go first, so the last unit bound stays the active one.
    for (int unit = 0; unit < eUnit_Count; ++unit) {
        if (bound[unit])
            continue;
        s_uniforms[samplers[unit]].SetTexture2D(unit);
        glBindTexture(GL_TEXTURE_2D, 0);
    }
    for (int unit = 0; unit < eUnit_Count; ++unit) {
        if (!bound[unit])
            continue;
        usage[unit] = 1;
        s_uniforms[samplers[unit]].SetTexture2D(unit);
        bound[unit]->Bind();
    }
    s_uniforms[eTexUsage].SetIntArray(usage, 1, eUnit_Count);
}

} // namespace Vorm
