#ifndef VORM_CORE_RENDERING_IMATERIALEFFECT_H
#define VORM_CORE_RENDERING_IMATERIALEFFECT_H

#include "Core/Math/Vector4.h"
#include "Core/Rendering/IEffect.h"

#include <boost/shared_ptr.hpp>

#include <vector>

namespace Vorm {

class ApiEffect;
class ITexture;

// Surface description of one material: colours, shininess, textures, the
// lights that shine on it and whether it receives shadows. A colour and the
// texture of the same property exclude each other in the order they are set:
// setting the colour drops the texture, setting the texture keeps the colour.
class IMaterialEffect : public IEffect
{
public:
    IMaterialEffect()
        : m_iShadingType(1)
        , m_ambientColor(0.0f, 0.0f, 0.0f, 0.0f)
        , m_diffuseColor(0.0f, 0.0f, 0.0f, 0.0f)
        , m_specularColor(0.0f, 0.0f, 0.0f, 0.0f)
        , m_fSpecularity(20.0f)
        , m_bSpareFlag(false)
        , m_bShadowReceiver(false)
    {
    }
    virtual ~IMaterialEffect() {}

    // The program the material is drawn with.
    virtual boost::shared_ptr<ApiEffect> GetApiEffect() = 0;
    // Uploads this material into the program, which must be current.
    virtual void Apply() = 0;

    void SetShadingType(int type) { m_iShadingType = type; }
    int GetShadingType() const { return m_iShadingType; }

    void SetAmbientColor(const Vector4<float>& color)
    {
        m_ambientColor = color;
        m_spAmbientTexture.reset();
    }
    void SetDiffuseColor(const Vector4<float>& color)
    {
        m_diffuseColor = color;
        m_spDiffuseTexture.reset();
    }
    void SetSpecularColor(const Vector4<float>& color)
    {
        m_specularColor = color;
        m_spSpecularTexture.reset();
    }
    void SetSpecularity(float specularity)
    {
        m_fSpecularity = specularity;
        m_spSpecularityTexture.reset();
    }

    void SetAmbientTexture(boost::shared_ptr<ITexture> texture) { m_spAmbientTexture = texture; }
    void SetDiffuseTexture(boost::shared_ptr<ITexture> texture) { m_spDiffuseTexture = texture; }
    void SetSpecularTexture(boost::shared_ptr<ITexture> texture) { m_spSpecularTexture = texture; }
    void SetSpecularityTexture(boost::shared_ptr<ITexture> texture) { m_spSpecularityTexture = texture; }
    void SetNormalMap(boost::shared_ptr<ITexture> texture) { m_spNormalMap = texture; }

    // `index` is the light's place in the renderer's light list.
    void AddLightIndex(int index) { m_lightIndices.push_back(index); }

    void SetSpareFlag(bool flag) { m_bSpareFlag = flag; }
    void SetShadowReceiver(bool receiver) { m_bShadowReceiver = receiver; }

    // Read access for the drawers and tools.
    const Vector4<float>& GetAmbientColor() const { return m_ambientColor; }
    const Vector4<float>& GetDiffuseColor() const { return m_diffuseColor; }
    const Vector4<float>& GetSpecularColor() const { return m_specularColor; }
    float GetSpecularity() const { return m_fSpecularity; }
    boost::shared_ptr<ITexture> GetAmbientTexture() const { return m_spAmbientTexture; }
    boost::shared_ptr<ITexture> GetDiffuseTexture() const { return m_spDiffuseTexture; }
    boost::shared_ptr<ITexture> GetSpecularTexture() const { return m_spSpecularTexture; }
    boost::shared_ptr<ITexture> GetSpecularityTexture() const { return m_spSpecularityTexture; }
    boost::shared_ptr<ITexture> GetNormalMap() const { return m_spNormalMap; }
    const std::vector<int>& GetLightIndices() const { return m_lightIndices; }
    bool GetSpareFlag() const { return m_bSpareFlag; }
    bool IsShadowReceiver() const { return m_bShadowReceiver; }

protected:
    int m_iShadingType;
    Vector4<float> m_ambientColor;
    Vector4<float> m_diffuseColor;
    Vector4<float> m_specularColor;
    float m_fSpecularity;
    boost::shared_ptr<ITexture> m_spAmbientTexture;
    boost::shared_ptr<ITexture> m_spDiffuseTexture;
    boost::shared_ptr<ITexture> m_spSpecularTexture;
    boost::shared_ptr<ITexture> m_spSpecularityTexture;
    boost::shared_ptr<ITexture> m_spNormalMap;
    std::vector<int> m_lightIndices;
    bool m_bSpareFlag;
    bool m_bShadowReceiver;
};

} // namespace Vorm

#endif
