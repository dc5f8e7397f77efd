#ifndef VORM_RENDERGL_GLRENDERER_H
#define VORM_RENDERGL_GLRENDERER_H

#include "Core/Rendering/IRenderer.h"

#include <boost/shared_ptr.hpp>

#include <string>

namespace Vorm {

class GLSLEffectSystem;
class IEffectSystem;

// OpenGL 3.1 implementation of the renderer interface. Owns the GLSL effect
// system, whose cache holds every program. A GL context must be current for its
// whole life; it is the TSingleton<IRenderer>, so one lives at a time.
class GLRenderer : public IRenderer
{
public:
    GLRenderer();
    ~GLRenderer() override;

    GLRenderer(const GLRenderer&) = delete;
    GLRenderer& operator=(const GLRenderer&) = delete;

    void Clear(unsigned flags) override;
    void SetClearColor(const Vector4<float>& rgba) override;
    void SetClearDepth(float depth) override;
    void SetCullMode(unsigned mode) override;
    void EnableDepthTest(bool enable) override;
    void SetDepthFunc(unsigned mode) override;
    // 0..8: front = mode / 3 (fill, line, point); see the table in the source.
    void SetPolygonMode(unsigned mode) override;
    void SetClipPlane(const Plane& plane) override;
    void DisableClipPlane() override;
    Viewport& GetViewport() override;
    void SetViewport(int x, int y, int width, int height) override;

    IIndexBuffer* CreateIndexBuffer() override;
    IVertexBuffer* CreateVertexBuffer() override;
    ITexture* CreateTexture() override;
    IRenderTarget* CreateRenderTarget() override;
    // The effect system's cached program; empty when the file cannot be loaded.
    boost::shared_ptr<ApiEffect> CreateApiEffect(const std::string& name, std::string* error = nullptr) override;
    // The one material program, made around the first name that loads; empty
    // while none has loaded.
    boost::shared_ptr<ApiEffect> CreateMaterialApiEffect(const std::string& name,
                                                         std::string* error = nullptr) override;
    void DrawPrimitives(const Geometry& geometry) override;

    IEffectSystem* GetEffectSystem() const;
    // false on a forward-compatible or core context, which accepts polygon
    // modes only for both faces at once.
    bool HasPerFacePolygonMode() const { return m_bPerFacePolygonMode; }

private:
    GLSLEffectSystem* m_pEffectSystem;
    Viewport m_viewport;
    bool m_bPerFacePolygonMode;
};

} // namespace Vorm

#endif
