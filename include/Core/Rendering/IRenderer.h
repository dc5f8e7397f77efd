#ifndef VORM_CORE_RENDERING_IRENDERER_H
#define VORM_CORE_RENDERING_IRENDERER_H

#include "Core/Math/Matrix44.h"
#include "Core/Math/Plane.h"
#include "Core/Math/Vector4.h"
#include "Core/Rendering/ApiEffect.h"
#include "Core/Rendering/IIndexBuffer.h"
#include "Core/Rendering/IRenderTarget.h"
#include "Core/Rendering/ITexture.h"
#include "Core/Rendering/IVertexBuffer.h"
#include "Core/Rendering/ResourceMap.h"
#include "Core/Rendering/TextureDesc.h"
#include "Core/Rendering/Viewport.h"
#include "Core/Scenegraph/Camera.h"
#include "Core/Scenegraph/Light.h"
#include "Core/Util/TSingleton.h"

#include <boost/shared_ptr.hpp>

#include <string>
#include <vector>

namespace Vorm {

class Geometry;

// Graphics-API-neutral renderer and the one TSingleton<IRenderer> of the
// program. The base keeps the current camera and its matrices, the current
// shader effect, cull mode and clip plane, the texture cache, the data
// folders and the lights; an implementation issues the API calls.
class IRenderer : public TSingleton<IRenderer>
{
public:
    enum ClearFlags
    {
        eClear_Color = 1,
        eClear_Depth = 2,
        eClear_Stencil = 4
    };

    IRenderer();
    virtual ~IRenderer();

    virtual void Clear(unsigned flags) = 0;
    virtual void SetClearColor(const Vector4<float>& rgba) = 0;
    virtual void SetClearDepth(float depth) = 0;
    // 0 cull front faces, 1 back faces, 2 none. Implementations apply the
    // mode and then call this to store it.
    virtual void SetCullMode(unsigned mode);
    virtual void EnableDepthTest(bool enable) = 0;
    // 0 less, 1 less or equal.
    virtual void SetDepthFunc(unsigned mode) = 0;
    // 0..8: front = mode / 3 (fill, line, point); back as the implementation's
    // table gives it.
    virtual void SetPolygonMode(unsigned mode) = 0;
    virtual Plane GetClipPlane() const;
    // Implementations enable clipping and then call this to store the plane.
    virtual void SetClipPlane(const Plane& plane);
    // Implementations disable clipping and then call this body, which resets
    // the stored plane.
    virtual void DisableClipPlane() = 0;
    virtual unsigned GetCullMode() const;
    virtual Viewport& GetViewport() = 0;
    virtual void SetViewport(int x, int y, int width, int height) = 0;

    // Factories hand out empty resources; the caller owns them.
    virtual IIndexBuffer* CreateIndexBuffer() = 0;
    virtual IVertexBuffer* CreateVertexBuffer() = 0;
    virtual ITexture* CreateTexture() = 0;
    virtual IRenderTarget* CreateRenderTarget() = 0;
    // Empty when the effect cannot be loaded; `error`, when given, then says
    // which file is at fault and why.
    virtual boost::shared_ptr<ApiEffect> CreateApiEffect(const std::string& name, std::string* error = nullptr) = 0;
    virtual boost::shared_ptr<ApiEffect> CreateMaterialApiEffect(const std::string& name,
                                                                 std::string* error = nullptr) = 0;
    // Draw call for the buffers that DrawGeometry has bound.
    virtual void DrawPrimitives(const Geometry& geometry) = 0;

    // Takes view and projection from the current camera and hands them to the
    // current effect.
    void ApplyCamera();
    // Makes the effect current, enables it and hands it the stored view and
    // projection. An empty effect makes the null effect current.
    void SetApiEffect(boost::shared_ptr<ApiEffect> effect);
    void DrawGeometry(Geometry* geometry);
    void DrawGeometryWithMatrix(Geometry* geometry, const Matrix44<float>& world);

    Camera* GetCamera() const { return m_pCamera; }
    // Not owned.
    void SetCamera(Camera* camera) { m_pCamera = camera; }

    ResourceMap& GetResourceMap() { return m_textureCache; }
    // The cached texture of that file, or a new one loaded with `desc` and
    // cached, so each file loads once however its name is spelled (the
    // cache knows it by its resolved path). A file that fails to load stays
    // cached; empty only when the renderer makes no textures.
    boost::shared_ptr<ITexture> SharedTexture(const std::string& file, const TextureDesc& desc);
    std::string& GetTexturePath() { return m_texturePath; }
    std::string& GetEffectsPath() { return m_effectsPath; }

    // Appends a light whose index is its place in the list.
    boost::shared_ptr<Light> CreateLight();
    std::vector<boost::shared_ptr<Light> >& GetLights() { return m_lights; }

protected:
    Matrix44<float> m_view;
    Matrix44<float> m_projection;
    unsigned m_uCullMode;
    Plane m_clipPlane;
    Camera* m_pCamera;
    Camera m_ownCamera;
    Matrix44<float> m_world;
    boost::shared_ptr<ApiEffect> m_spCurrentEffect;
    // Before the cache, which resolves names against the texture folder.
    std::string m_texturePath;
    std::string m_effectsPath;
    ResourceMap m_textureCache;
    std::vector<boost::shared_ptr<Light> > m_lights;

private:
    IRenderer(const IRenderer&);
    IRenderer& operator=(const IRenderer&);

    void DrawWithWorld(Geometry* geometry, const Matrix44<float>& world);

    // Stands in for a missing effect, so that a failed load draws nothing
    // instead of crashing.
    boost::shared_ptr<ApiEffect> m_spNullEffect;
};

} // namespace Vorm

#endif
