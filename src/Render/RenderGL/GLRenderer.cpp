#include "RenderGL/GLRenderer.h"

#include "Core/Memory/MemTracker.h"
#include "Core/Rendering/IIndexBuffer.h"
#include "Core/Rendering/IVertexBuffer.h"
#include "Core/Rendering/MaterialEffectFactory.h"
#include "Core/Scenegraph/Geometry.h"
#include "RenderGL/GLIndexBuffer.h"
#include "RenderGL/GLRenderTarget.h"
#include "RenderGL/GLUtil.h"
#include "RenderGL/GLVertexBuffer.h"
#include "RenderGL/effects/GLMaterialEffect.h"
#include "RenderGL/effects/api/glsl/GLSLEffectSystem.h"
#include "RenderGL/texture/GLTexture.h"

#include <GL/glew.h>


namespace Vorm {

namespace {

const GLenum s_polygonModes[3] = {GL_FILL, GL_LINE, GL_POINT};

// Back mode of each front mode's group of three: the front mode itself, then
// the other two in the order fill, line, point.
const unsigned s_backModes[9] = {0, 1, 2, 1, 0, 2, 2, 0, 1};

// Deprecated-feature-free contexts (forward-compatible, core, or 3.1 without
// the compatibility extension) set polygon modes only for both faces at once.
// The context's own version counts: GLEW's version flags also report versions
// whose entry points merely load.
bool ContextHasPerFacePolygonMode()
{
    int major = 0, minor = 0, glslMajor = 0, glslMinor = 0;
    GetGLVersion(major, minor, glslMajor, glslMinor);
    if (major < 3)
        return true;
    GLint flags = 0;
    glGetIntegerv(GL_CONTEXT_FLAGS, &flags);
    if (flags & GL_CONTEXT_FLAG_FORWARD_COMPATIBLE_BIT)
        return false;
    if (major > 3 || minor >= 2) {
        GLint mask = 0;
        glGetIntegerv(GL_CONTEXT_PROFILE_MASK, &mask);
        if (mask & GL_CONTEXT_CORE_PROFILE_BIT)
            return false;
    }
    if (minor >= 1 || major > 3)
        return GLEW_ARB_compatibility != 0;
    return true;
}

} // namespace

GLRenderer::GLRenderer()
    : IRenderer(), m_pEffectSystem(nullptr), m_bPerFacePolygonMode(ContextHasPerFacePolygonMode())
{
    MaterialEffectFactory::Register(&GLMaterialEffect::Make);
    GLRenderer::SetViewport(0, 0, 800, 600);
    GLRenderer::SetCullMode(1);
    GLRenderer::EnableDepthTest(true);
    m_pEffectSystem = VORM_NEW GLSLEffectSystem();
    m_pEffectSystem->SetEffectPath(GetEffectsPath());
}

GLRenderer::~GLRenderer()
{
    // Materials made after this renderer would reach for a renderer that is gone.
    MaterialEffectFactory::Register(nullptr);
    // Every program lives in the effect system's cache: they go with it
    // while this context still exists.
    VORM_DELETE m_pEffectSystem;
    m_pEffectSystem = nullptr;
}

IEffectSystem* GLRenderer::GetEffectSystem() const
{
    return m_pEffectSystem;
}

void GLRenderer::Clear(unsigned flags)
{
    GLbitfield mask = 0;
    if (flags & 1u)
        mask |= GL_COLOR_BUFFER_BIT;
    if (flags & 2u)
        mask |= GL_DEPTH_BUFFER_BIT;
    if (flags & 4u)
        mask |= GL_STENCIL_BUFFER_BIT;
    glClear(mask);
}

void GLRenderer::SetClearColor(const Vector4<float>& rgba)
{
    glClearColor(rgba.x, rgba.y, rgba.z, rgba.w);
}

void GLRenderer::SetClearDepth(float depth)
{
    glClearDepth(static_cast<double>(depth));
}

void GLRenderer::SetCullMode(unsigned mode)
{
    switch (mode) {
    case 0:
        glEnable(GL_CULL_FACE);
        glCullFace(GL_FRONT);
        break;
    case 1:
        glEnable(GL_CULL_FACE);
        glCullFace(GL_BACK);
        break;
    case 2:
        glDisable(GL_CULL_FACE);
        break;
    default:
        break;
    }
    IRenderer::SetCullMode(mode);
}

void GLRenderer::EnableDepthTest(bool enable)
{
    if (enable)
        glEnable(GL_DEPTH_TEST);
    else
        glDisable(GL_DEPTH_TEST);
}

void GLRenderer::SetDepthFunc(unsigned mode)
{
    if (mode == 0)
        glDepthFunc(GL_LESS);
    else if (mode == 1)
        glDepthFunc(GL_LEQUAL);
}

void GLRenderer::SetPolygonMode(unsigned mode)
{
    if (mode > 8)
        return;
    const GLenum front = s_polygonModes[mode / 3];
    const GLenum back = s_polygonModes[s_backModes[mode]];
    // Without per-face modes the front mode, which is what shows with the
    // usual back-face culling, applies to both faces.
    if (front == back || !m_bPerFacePolygonMode) {
        glPolygonMode(GL_FRONT_AND_BACK, front);
    } else {
        glPolygonMode(GL_FRONT, front);
        glPolygonMode(GL_BACK, back);
    }
}

void GLRenderer::SetClipPlane(const Plane& plane)
{
    // The shaders get the plane as a uniform and write the clip distance.
    glEnable(GL_CLIP_DISTANCE0);
    IRenderer::SetClipPlane(plane);
}

void GLRenderer::DisableClipPlane()
{
    glDisable(GL_CLIP_DISTANCE0);
    IRenderer::DisableClipPlane();
}

Viewport& GLRenderer::GetViewport()
{
    return m_viewport;
}

void GLRenderer::SetViewport(int x, int y, int width, int height)
{
    m_viewport = Viewport{x, y, width, height};
    glViewport(x, y, width, height);
}

IIndexBuffer* GLRenderer::CreateIndexBuffer()
{
    return VORM_NEW GLIndexBuffer();
}

IVertexBuffer* GLRenderer::CreateVertexBuffer()
{
    return VORM_NEW GLVertexBuffer();
}

ITexture* GLRenderer::CreateTexture()
{
    return VORM_NEW GLTexture();
}

IRenderTarget* GLRenderer::CreateRenderTarget()
{
    return VORM_NEW GLRenderTarget();
}

boost::shared_ptr<ApiEffect> GLRenderer::CreateApiEffect(const std::string& name, std::string* error)
{
    return m_pEffectSystem->GetEffect(name, error);
}

boost::shared_ptr<ApiEffect> GLRenderer::CreateMaterialApiEffect(const std::string& name, std::string* error)
{
    return m_pEffectSystem->GetMaterialProgram(name, error);
}

void GLRenderer::DrawPrimitives(const Geometry& geometry)
{
    const GLenum mode = GLPrimitiveType::Get(static_cast<std::uint32_t>(geometry.GetPrimitiveType()));
    IIndexBuffer* indices = geometry.GetIndexBuffer();
    if (indices && indices->IsValid()) {
        indices->Bind();
        glDrawElements(mode, static_cast<GLsizei>(indices->GetCount()),
                       GLDataFormat::Get(indices->GetFormat().m_format), nullptr);
    } else {
        glDrawArrays(mode, 0, static_cast<GLsizei>(geometry.GetVertexBuffer()->GetCount()));
    }
}

} // namespace Vorm
