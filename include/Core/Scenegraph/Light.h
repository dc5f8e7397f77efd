#ifndef VORM_CORE_SCENEGRAPH_LIGHT_H
#define VORM_CORE_SCENEGRAPH_LIGHT_H

#include "Core/Math/Matrix44.h"
#include "Core/Math/Vector3.h"
#include "Core/Math/Vector4.h"

#include <boost/shared_ptr.hpp>

#include <vector>

namespace Vorm {

class Camera;
class Frustum;
class IRenderTarget;

// Directional light with colours and split (cascaded) shadow maps: the
// viewer's volume is cut along its depth into slices, each with its own depth
// target and a light matrix fitted around the slice.
class Light
{
public:
    explicit Light(unsigned int index);
    ~Light();

    void SetEnabled(bool enabled) { m_bEnabled = enabled; }
    void SetAmbient(const Vector4<float>& colour) { m_vAmbient = colour; }
    void SetDiffuse(const Vector4<float>& colour) { m_vDiffuse = colour; }
    void SetSpecular(const Vector4<float>& colour) { m_vSpecular = colour; }
    void SetPosition(const Vector3<float>& position) { m_vPosition = position; }
    // Not normalised here.
    void SetDirection(const Vector3<float>& direction) { m_vDirection = direction; }

    unsigned int GetIndex() const { return m_uIndex; }
    bool IsEnabled() const { return m_bEnabled; }
    Vector3<float> GetPosition() const { return m_vPosition; }
    Vector3<float> GetDirection() const { return m_vDirection; }
    Vector4<float> GetAmbient() const { return m_vAmbient; }
    Vector4<float> GetDiffuse() const { return m_vDiffuse; }
    Vector4<float> GetSpecular() const { return m_vSpecular; }

    unsigned int GetSplitCount() const { return m_uSplitCount; }
    bool CastsShadows() const { return m_bCastShadows; }

    // Index arguments must be below the split count.
    boost::shared_ptr<IRenderTarget> GetShadowMap(unsigned int i) const { return m_shadowMaps[i]; }
    Matrix44<float> GetShadowMatrix(unsigned int i) const { return m_shadowMatrices[i]; }
    float GetSplitNear(unsigned int i) const { return m_splitNears[i]; }
    float GetSplitFar(unsigned int i) const { return m_splitFars[i]; }

    std::vector<boost::shared_ptr<IRenderTarget> > GetShadowMaps() const { return m_shadowMaps; }
    std::vector<Matrix44<float> > GetShadowMatrices() const { return m_shadowMatrices; }
    std::vector<float> GetSplitNears() const { return m_splitNears; }
    std::vector<float> GetSplitFars() const { return m_splitFars; }

    // Makes one 1024 x 1024 map on first use.
    void SetCastShadows(bool on);
    // Makes the maps once; later calls only set the flag.
    void CreateShadowMaps(bool enable, int splits, int width, int height);
    // Recomputes the splits for the renderer's current camera.
    void UpdateShadows();
    void UpdateShadowMatrices(Camera* viewer);

    // Light view-projection, cropped so that the frustum's corners fill x and
    // y from -1 to 1 and depth from the light's near plane to 0..1.
    static Matrix44<float> ComputeCropMatrix(Camera& lightCamera, const Frustum& frustum);

private:
    Light(const Light&);
    Light& operator=(const Light&);

    void ComputeSplitDistances(float nearPlane, float farPlane);

    unsigned int m_uIndex;
    bool m_bEnabled;
    Vector4<float> m_vAmbient;
    Vector4<float> m_vDiffuse;
    Vector4<float> m_vSpecular;
    Vector3<float> m_vPosition;
    Vector3<float> m_vDirection;
    bool m_bCastShadows;
    unsigned int m_uSplitCount;
    std::vector<boost::shared_ptr<IRenderTarget> > m_shadowMaps;
    std::vector<Matrix44<float> > m_shadowMatrices;
    std::vector<float> m_splitNears;
    std::vector<float> m_splitFars;
};

} // namespace Vorm

#endif
