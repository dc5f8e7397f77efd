#include "RecordingRenderer.h"

#include "RecordingApiEffect.h"
#include "RecordingIndexBuffer.h"
#include "RecordingRenderTarget.h"
#include "RecordingTexture.h"
#include "RecordingVertexBuffer.h"

#include "Core/Rendering/IIndexBuffer.h"
#include "Core/Rendering/IVertexBuffer.h"
#include "Core/Rendering/MaterialEffectFactory.h"
#include "Core/Scenegraph/Geometry.h"
#include "RenderGL/effects/GLMaterialEffect.h"

#include "RenderGL/effects/GLMaterialEffect.h"

#include <sstream>

RecordingRenderer::RecordingRenderer() : m_log(new RecordingLogLines())
{
    Vorm::MaterialEffectFactory::Register(&Vorm::GLMaterialEffect::Make);
    // Room ahead, so that a resource's "Destroy" line does not allocate: that
    // would take the tracker's owner meant for the resource's own release.
    m_log->reserve(1024);
    m_viewport.x = 0;
    m_viewport.y = 0;
    m_viewport.width = 0;
    m_viewport.height = 0;
    // Materials that core code builds are the GL ones, as with the real renderer.
    Vorm::MaterialEffectFactory::Register(&Vorm::GLMaterialEffect::Make);
}

RecordingRenderer::~RecordingRenderer()
{
}

RecordingLogLines RecordingRenderer::Find(const std::string& prefix) const
{
    RecordingLogLines found;
    for (size_t i = 0; i < m_log->size(); ++i)
    {
        if ((*m_log)[i].compare(0, prefix.size(), prefix) == 0)
            found.push_back((*m_log)[i]);
    }
    return found;
}

void RecordingRenderer::Clear(unsigned flags)
{
    Record(LogEntry("Clear", flags));
}

void RecordingRenderer::SetClearColor(const Vector4<float>& c)
{
    Record(LogEntry("SetClearColor", c.x, c.y, c.z, c.w));
}

void RecordingRenderer::SetClearDepth(float depth)
{
    Record(LogEntry("SetClearDepth", depth));
}

void RecordingRenderer::SetCullMode(unsigned mode)
{
    Record(LogEntry("SetCullMode", mode));
    IRenderer::SetCullMode(mode);
}

void RecordingRenderer::EnableDepthTest(bool enable)
{
    Record(enable ? "EnableDepthTest 1" : "EnableDepthTest 0");
}

void RecordingRenderer::SetDepthFunc(unsigned mode)
{
    Record(LogEntry("SetDepthFunc", mode));
}

void RecordingRenderer::SetPolygonMode(unsigned mode)
{
    Record(LogEntry("SetPolygonMode", mode));
}

void RecordingRenderer::SetClipPlane(const Vorm::Plane& plane)
{
    const Vector4<float> p = plane.ToVector4();
    Record(LogEntry("SetClipPlane", p.x, p.y, p.z, p.w));
    IRenderer::SetClipPlane(plane);
}

void RecordingRenderer::DisableClipPlane()
{
    Record("DisableClipPlane");
    IRenderer::DisableClipPlane();
}

Vorm::Viewport& RecordingRenderer::GetViewport()
{
    return m_viewport;
}

void RecordingRenderer::SetViewport(int x, int y, int width, int height)
{
    m_viewport = Vorm::Viewport{x, y, width, height};
    Record(LogEntry("SetViewport", x, y, width, height));
}

Vorm::IIndexBuffer* RecordingRenderer::CreateIndexBuffer()
{
    Record("CreateIndexBuffer");
    return new RecordingIndexBuffer(m_log);
}

Vorm::IVertexBuffer* RecordingRenderer::CreateVertexBuffer()
{
    Record("CreateVertexBuffer");
    return new RecordingVertexBuffer(m_log);
}

Vorm::ITexture* RecordingRenderer::CreateTexture()
{
    Record("CreateTexture");
    return new RecordingTexture(m_log);
}

Vorm::IRenderTarget* RecordingRenderer::CreateRenderTarget()
{
    Record("CreateRenderTarget");
    return new RecordingRenderTarget(m_log);
}

boost::shared_ptr<Vorm::ApiEffect> RecordingRenderer::CreateApiEffect(const std::string& name, std::string* error)
{
    Record("CreateApiEffect " + name);
    if (m_missing.count(name)) {
        if (error)
            *error = GetEffectsPath() + name + ": cannot open";
        return boost::shared_ptr<Vorm::ApiEffect>();
    }
    return boost::shared_ptr<Vorm::ApiEffect>(new RecordingApiEffect(name, m_log));
}

boost::shared_ptr<Vorm::ApiEffect> RecordingRenderer::CreateMaterialApiEffect(const std::string& name,
                                                                              std::string* error)
{
    Record("CreateMaterialApiEffect " + name);
    if (m_missing.count(name)) {
        if (error)
            *error = GetEffectsPath() + name + ": cannot open";
        return boost::shared_ptr<Vorm::ApiEffect>();
    }
    if (!m_spMaterialProgram)
        m_spMaterialProgram.reset(new RecordingApiEffect(name, m_log));
    return m_spMaterialProgram;
}

void RecordingRenderer::DrawPrimitives(const Vorm::Geometry& geometry)
{
    std::ostringstream s;
    s << "DrawPrimitives " << geometry.GetPrimitiveType();
    Vorm::IIndexBuffer* ib = geometry.GetIndexBuffer();
    if (ib && ib->IsValid())
    {
        ib->Bind();
        s << " indexed " << ib->GetCount();
    }
    else if (geometry.GetVertexBuffer())
    {
        s << " arrays " << geometry.GetVertexBuffer()->GetCount();
    }
    Record(s.str());
}
