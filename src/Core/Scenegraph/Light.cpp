#include "Core/Scenegraph/Light.h"

#include "Core/Math/MathFunctions.h"
#include "Core/Rendering/IRenderTarget.h"
#include "Core/Rendering/IRenderer.h"
#include "Core/Rendering/TextureDesc.h"
#include "Core/Scenegraph/Camera.h"

#include <cfloat>

namespace Vorm {

namespace {

enum
{
    eDepthMode_RenderBuffer = 1,
    eTextureType_2D = 1,
    ePixelFormat_Depth = 8,
    ePixelFormat_Depth32 = 10,
    eFilter_Nearest = 0,
    eWrap_ClampToEdge = 0
};

Vector3<float> Mean(const std::vector<Vector3<float> >& points)
{
    Vector3<float> sum(0.0f, 0.0f, 0.0f);
    for (size_t i = 0; i < points.size(); ++i)
        sum = sum + points[i];
    return sum / static_cast<float>(points.size());
}

// A copy of the volume placed in the viewer's frame, with its corners.
Frustum InViewerFrame(const Frustum& volume, const Camera& viewer)
{
    Frustum placed(volume);
    placed.SetFrame(viewer.GetLocation(), viewer.GetDirection(), viewer.GetRight(), viewer.GetUp());
    placed.UpdateCorners();
    return placed;
}

} // namespace

Light::Light(unsigned int index)
    : m_uIndex(index), m_bEnabled(true), m_vAmbient(0.2f, 0.2f, 0.2f, 1.0f), m_vDiffuse(1.0f, 1.0f, 1.0f, 1.0f),
      m_vSpecular(1.0f, 1.0f, 1.0f, 1.0f), m_vPosition(0.0f, 80.0f, 0.0f),
      m_vDirection(Vector3<float>(0.0f, -1.0f, 1.0f).Normalized()), m_bCastShadows(false), m_uSplitCount(0)
{
}

Light::~Light()
{
}

void Light::SetCastShadows(bool on)
{
    if (on && m_shadowMaps.empty())
        CreateShadowMaps(true, 1, 1024, 1024);
    m_bCastShadows = on;
}

void Light::CreateShadowMaps(bool enable, int splits, int width, int height)
{
    if (enable && m_shadowMaps.empty())
    {
        // A negative count makes no maps instead of wrapping to a huge one.
        const unsigned int count = splits > 0 ? static_cast<unsigned int>(splits) : 0u;
        m_uSplitCount = count;

        TextureDesc desc;
        desc.m_width = static_cast<std::uint32_t>(width);
        desc.m_height = static_cast<std::uint32_t>(height);
        desc.m_bMipmap = 1;
        desc.m_type = eTextureType_2D;
        desc.m_internalFormat = ePixelFormat_Depth32;
        desc.m_pixelFormat = ePixelFormat_Depth;

        TextureParams params;
        params.m_magFilter = eFilter_Nearest;
        params.m_minFilter = eFilter_Nearest;
        params.m_wrapS = eWrap_ClampToEdge;
        params.m_wrapT = eWrap_ClampToEdge;

        IRenderer* renderer = TSingleton<IRenderer>::Instance();
        for (unsigned int i = 0; i < count; ++i)
        {
            boost::shared_ptr<IRenderTarget> target(renderer->CreateRenderTarget());
            target->Create(desc.m_width, desc.m_height, eDepthMode_RenderBuffer);
            target->AttachDepthTexture(desc, params);
            m_shadowMaps.push_back(target);
        }
        m_shadowMatrices.resize(count, Matrix44<float>::IDENTITY);
    }
    m_bCastShadows = enable;
}

void Light::UpdateShadows()
{
    UpdateShadowMatrices(TSingleton<IRenderer>::Instance()->GetCamera());
}

void Light::ComputeSplitDistances(float n, float f)
{
    const unsigned int count = m_uSplitCount;
    m_splitNears.resize(count);
    m_splitFars.resize(count);
    // Without splits there is nothing to write.
    if (count == 0)
        return;

    m_splitNears[0] = n;
    m_splitFars[count - 1] = f;
    for (unsigned int i = 1; i < count; ++i)
    {
        // Mean of the logarithmic and the uniform split scheme.
        const float t = static_cast<float>(i) / static_cast<float>(count);
        const float s = 0.5f * n * Math::Pow(f / n, t) + 0.5f * (n + (f - n) * t);
        m_splitFars[i - 1] = s;
        m_splitNears[i] = s;
    }
}

void Light::UpdateShadowMatrices(Camera* viewer)
{
    const float viewerFar = viewer->GetFar();
    ComputeSplitDistances(viewer->GetNear(), viewerFar);

    const Vector3<float> centre = Mean(InViewerFrame(viewer->GetFrustum(), *viewer).GetCorners());

    m_vPosition = centre - m_vDirection * viewerFar;

    Camera lightCamera;
    lightCamera.LookAt(m_vPosition, centre, Vector3<float>(0.0f, 1.0f, 0.0f));
    lightCamera.SetOrthographic(-10.0f, 10.0f, 10.0f, -10.0f, 1.0f, 10.0f);

    for (unsigned int i = 0; i < m_uSplitCount; ++i)
    {
        Camera splitCamera;
        splitCamera.SetPerspective(viewer->GetFov(), viewer->GetAspect(), m_splitNears[i], m_splitFars[i]);
        m_shadowMatrices[i] = ComputeCropMatrix(lightCamera, InViewerFrame(splitCamera.GetFrustum(), *viewer));
    }
}

Matrix44<float> Light::ComputeCropMatrix(Camera& lightCamera, const Frustum& frustum)
{
    const Matrix44<float> lightVP = lightCamera.GetProjectionMatrix() * lightCamera.GetViewMatrix();

    Vector3<float> mn(FLT_MAX, FLT_MAX, FLT_MAX);
    Vector3<float> mx(-FLT_MAX, -FLT_MAX, -FLT_MAX);
    const std::vector<Vector3<float> >& corners = frustum.GetCorners();
    for (size_t i = 0; i < corners.size(); ++i)
    {
        const Vector3<float>& c = corners[i];
        const Vector4<float> p = lightVP * Vector4<float>(c.x, c.y, c.z, 1.0f);
        if (p.x < mn.x) mn.x = p.x;
        if (p.y < mn.y) mn.y = p.y;
        if (p.z < mn.z) mn.z = p.z;
        if (p.x > mx.x) mx.x = p.x;
        if (p.y > mx.y) mx.y = p.y;
        if (p.z > mx.z) mx.z = p.z;
    }
    mn.z = 0.0f;

    const float sx = 2.0f / (mx.x - mn.x);
    const float sy = 2.0f / (mx.y - mn.y);
    const float ox = -0.5f * (mx.x + mn.x) * sx;
    const float oy = -0.5f * (mx.y + mn.y) * sy;
    const float sz = 1.0f / (mx.z - mn.z);
    const float oz = -mn.z * sz;

    const Matrix44<float> crop(sx, 0.0f, 0.0f, ox,
                               0.0f, sy, 0.0f, oy,
                               0.0f, 0.0f, sz, oz,
                               0.0f, 0.0f, 0.0f, 1.0f);
    return crop * lightVP;
}

} // namespace Vorm
