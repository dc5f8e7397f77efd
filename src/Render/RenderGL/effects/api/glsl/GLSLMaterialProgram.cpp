#include "RenderGL/effects/api/glsl/GLSLMaterialProgram.h"

#include "Core/Math/MatrixBuilders.h"
#include "Core/Rendering/IRenderTarget.h"
#include "Core/Rendering/IRenderer.h"
#include "Core/Rendering/ITexture.h"
#include "Core/Scenegraph/Light.h"
#include "Core/Util/TSingleton.h"
#include "RenderGL/effects/api/glsl/GLSLProgram.h"

namespace Vorm {

GLSLMaterialProgram::GLSLMaterialProgram(boost::shared_ptr<ApiEffect> program)
    : m_spProgram(program), m_pProgram(dynamic_cast<GLSLProgram*>(program.get()))
{
    std::vector<GLSLUniformParam>* lists[] = {
        &m_direction,           &m_colorAmbient,        &m_colorDiffuse,  &m_colorSpecular,
        &m_isShadowCaster,      &m_nmbShadowMaps,       &m_texShadowMap[0], &m_texShadowMap[1],
        &m_texShadowMap[2],     &m_matLightProjView[0], &m_matLightProjView[1],
        &m_matLightProjView[2], &m_shadowFarDist};
    const char* suffixes[] = {
        "].Direction",        "].ColorAmbient",        "].ColorDiffuse",        "].ColorSpecular",
        "].IsShadowCaster",   "].Nmb_ShadowMaps",      "].Tex_ShadowMap1",      "].Tex_ShadowMap2",
        "].Tex_ShadowMap3",   "].Mat_LightProjView1",  "].Mat_LightProjView2",  "].Mat_LightProjView3",
        "].ShadowFarDist"};
    const size_t listCount = sizeof(lists) / sizeof(lists[0]);

    for (size_t l = 0; l < listCount; ++l)
        lists[l]->reserve(kMaxLights);
    for (unsigned i = 0; i < kMaxLights; ++i) {
        const std::string prefix = "Lights[" + std::to_string(i);
        for (size_t l = 0; l < listCount; ++l) {
            GLSLUniformParam handle;
            if (m_pProgram)
                m_pProgram->GetUniform(prefix + suffixes[l], handle);
            lists[l]->push_back(handle);
        }
    }
}

GLSLMaterialProgram::~GLSLMaterialProgram()
{
}

bool GLSLMaterialProgram::GetUniform(const std::string& name, GLSLUniformParam& out) const
{
    return m_pProgram && m_pProgram->GetUniform(name, out);
}

void GLSLMaterialProgram::Enable()
{
    m_spProgram->Enable();
    UpdateLights(TSingleton<IRenderer>::Instance()->GetLights());
}

void GLSLMaterialProgram::Disable()
{
    m_spProgram->Disable();
}

bool GLSLMaterialProgram::IsEnabled() const
{
    return m_spProgram->IsEnabled();
}

void GLSLMaterialProgram::SetViewProjection(const Matrix44<float>* view, const Matrix44<float>* projection)
{
    m_spProgram->SetViewProjection(view, projection);
}

void GLSLMaterialProgram::UpdateVertexDataBinding(const std::map<std::string, VertexAttribute>& attributes)
{
    m_spProgram->UpdateVertexDataBinding(attributes);
}

void GLSLMaterialProgram::SetModelMatrix(const Matrix44<float>& model)
{
    m_spProgram->SetModelMatrix(model);
}

void GLSLMaterialProgram::UpdateLights(const std::vector<boost::shared_ptr<Light>>& lights)
{
    for (size_t l = 0; l < lights.size(); ++l) {
        const boost::shared_ptr<Light> light = lights[l];
        const unsigned n = light->GetIndex();
        // The shader's light array has kMaxLights entries; others have no uniforms.
        if (n >= kMaxLights)
            continue;

        m_direction[n].SetFloat3v(light->GetDirection());
        m_colorAmbient[n].SetFloat4v(light->GetAmbient());
        m_colorDiffuse[n].SetFloat4v(light->GetDiffuse());
        m_colorSpecular[n].SetFloat4v(light->GetSpecular());
        m_isShadowCaster[n].SetInt(light->CastsShadows() ? 1 : 0);

        const unsigned splits = light->GetSplitCount();
        m_nmbShadowMaps[n].SetInt(static_cast<int>(splits));
        // The far distances exist only once the light has updated its
        // shadows; never upload more than the list holds.
        const std::vector<float> fars = light->GetSplitFars();
        const size_t farCount = fars.size() < splits ? fars.size() : splits;
        if (farCount > 0)
            m_shadowFarDist[n].SetFloatArray(fars.data(), 1, static_cast<int>(farCount));

        // The shader samples three splits; a fourth would only replace the
        // third's map on unit 7.
        const unsigned used = splits < kMaxSplits ? splits : kMaxSplits;
        for (unsigned s = 0; s < used; ++s) {
            const Matrix44<float> texMatrix = MakeShadowTextureMatrix(light->GetShadowMatrix(s));
            // The shader samples every light's maps through light 0's
            // samplers (all lights share units 5 to 7), so those name the unit.
            m_texShadowMap[s][0].SetTexture2D(kFirstShadowUnit + static_cast<int>(s));
            m_matLightProjView[s][n].SetMatrixValue(texMatrix.Ptr(), false);

            const boost::shared_ptr<IRenderTarget> target = light->GetShadowMap(s);
            if (!target)
                continue;
            const boost::shared_ptr<ITexture> depth = target->GetDepthTexture();
            if (depth)
                depth->Bind();
        }
    }
}

} // namespace Vorm
