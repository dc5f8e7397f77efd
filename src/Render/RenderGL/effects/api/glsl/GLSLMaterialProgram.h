#ifndef VORM_RENDERGL_GLSLMATERIALPROGRAM_H
#define VORM_RENDERGL_GLSLMATERIALPROGRAM_H

#include "Core/Rendering/ApiEffect.h"
#include "RenderGL/effects/api/glsl/GLSLUniformParam.h"

#include <boost/shared_ptr.hpp>

#include <string>
#include <vector>

namespace Vorm {

class GLSLProgram;
class Light;

// The program every surface material is drawn with: a GLSLProgram that, each
// time it is made current, uploads the renderer's lights into the shader's
// "Lights[i]" structure array and binds their shadow maps on units 5 to 7.
class GLSLMaterialProgram : public ApiEffect
{
public:
    // Lights the handle lists serve: Lights[0] to Lights[7].
    static const unsigned kMaxLights = 8;
    // Shadow-map splits per light the shader samples, on units 5, 6, 7.
    static const unsigned kMaxSplits = 3;
    static const int kFirstShadowUnit = 5;

    // `program` must be a linked GLSLProgram.
    explicit GLSLMaterialProgram(boost::shared_ptr<ApiEffect> program);
    ~GLSLMaterialProgram();

    GLSLMaterialProgram(const GLSLMaterialProgram&) = delete;
    GLSLMaterialProgram& operator=(const GLSLMaterialProgram&) = delete;

    // The wrapped program's uniform lookup.
    bool GetUniform(const std::string& name, GLSLUniformParam& out) const;
    boost::shared_ptr<ApiEffect> GetProgram() const { return m_spProgram; }

    void Enable() override;
    void Disable() override;
    bool IsEnabled() const override;
    void SetViewProjection(const Matrix44<float>* view, const Matrix44<float>* projection) override;
    void UpdateVertexDataBinding(const std::map<std::string, VertexAttribute>& attributes) override;
    void SetModelMatrix(const Matrix44<float>& model) override;

    // Uploads every light of the list (by its index) into the current program.
    virtual void UpdateLights(const std::vector<boost::shared_ptr<Light>>& lights);

private:
    boost::shared_ptr<ApiEffect> m_spProgram;
    GLSLProgram* m_pProgram; // m_spProgram as its class; null if it is none

    std::vector<GLSLUniformParam> m_direction;
    std::vector<GLSLUniformParam> m_colorAmbient;
    std::vector<GLSLUniformParam> m_colorDiffuse;
    std::vector<GLSLUniformParam> m_colorSpecular;
    std::vector<GLSLUniformParam> m_isShadowCaster;
    std::vector<GLSLUniformParam> m_nmbShadowMaps;
    std::vector<GLSLUniformParam> m_texShadowMap[kMaxSplits];
    std::vector<GLSLUniformParam> m_matLightProjView[kMaxSplits];
    std::vector<GLSLUniformParam> m_shadowFarDist;
};

} // namespace Vorm

#endif
