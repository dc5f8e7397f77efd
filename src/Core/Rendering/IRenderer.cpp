#include "Core/Rendering/IRenderer.h"

#include "Core/Memory/MemTracker.h"
#include "Core/Rendering/ApiEffect.h"
#include "Core/Rendering/IVertexBuffer.h"
#include "Core/Scenegraph/Geometry.h"
#include "Core/Scenegraph/Light.h"

namespace Vorm {

IRenderer::IRenderer()
    : m_view(Matrix44<float>::IDENTITY), m_projection(Matrix44<float>::IDENTITY), m_uCullMode(1),
      m_pCamera(0), m_world(Matrix44<float>::IDENTITY), m_textureCache(m_texturePath)
{
    m_pCamera = &m_ownCamera;
    m_spNullEffect = boost::shared_ptr<ApiEffect>(VORM_NEW ApiEffect());
    m_spCurrentEffect = m_spNullEffect;
    m_texturePath = "../data/texture/";
    m_effectsPath = "../data/effects/";
    CreateLight()->SetAmbient(Vector4<float>(0.2f, 0.2f, 0.2f, 1.0f));
}

IRenderer::~IRenderer()
{
}

void IRenderer::SetCullMode(unsigned mode)
{
    m_uCullMode = mode;
}

unsigned IRenderer::GetCullMode() const
{
    return m_uCullMode;
}

Plane IRenderer::GetClipPlane() const
{
    return m_clipPlane;
}

void IRenderer::SetClipPlane(const Plane& plane)
{
    m_clipPlane = plane;
}

void IRenderer::DisableClipPlane()
{
    m_clipPlane = Plane();
}

void IRenderer::ApplyCamera()
{
    m_view = m_pCamera->GetViewMatrix();
    m_projection = m_pCamera->GetProjectionMatrix();
    m_spCurrentEffect->SetViewProjection(&m_view, &m_projection);
}

void IRenderer::SetApiEffect(boost::shared_ptr<ApiEffect> effect)
{
    m_spCurrentEffect = effect ? effect : m_spNullEffect;
    m_spCurrentEffect->Enable();
    m_spCurrentEffect->SetViewProjection(&m_view, &m_projection);
}

void IRenderer::DrawGeometry(Geometry* geometry)
{
    geometry->World().ToMatrix44(m_world);
    DrawWithWorld(geometry, m_world);
}

void IRenderer::DrawGeometryWithMatrix(Geometry* geometry, const Matrix44<float>& world)
{
    m_world = world;
    DrawWithWorld(geometry, m_world);
}

void IRenderer::DrawWithWorld(Geometry* geometry, const Matrix44<float>& world)
{
    IVertexBuffer* vb = geometry->GetVertexBuffer();
    // A geometry whose buffers were never made has nothing to draw.
    if (!vb)
        return;
    vb->Bind();
    m_spCurrentEffect->UpdateVertexDataBinding(vb->GetVertexFormat().m_attributes);
    m_spCurrentEffect->SetModelMatrix(world);
    DrawPrimitives(*geometry);
}

boost::shared_ptr<ITexture> IRenderer::SharedTexture(const std::string& file, const TextureDesc& desc)
{
    boost::shared_ptr<ITexture> texture = m_textureCache.Find(file);
    if (texture)
        return texture;
    texture.reset(CreateTexture());
    if (!texture)
        return texture;
    texture->CreateFromFile(desc, file);
    m_textureCache.Add(file, texture);
    return texture;
}

boost::shared_ptr<Light> IRenderer::CreateLight()
{
    boost::shared_ptr<Light> light(VORM_NEW Light(static_cast<unsigned int>(m_lights.size())));
    m_lights.push_back(light);
    return light;
}

} // namespace Vorm
