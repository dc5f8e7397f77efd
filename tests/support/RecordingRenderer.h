#ifndef VORM_TESTS_RECORDINGRENDERER_H
#define VORM_TESTS_RECORDINGRENDERER_H

#include "RecordingLog.h"

#include "Core/Rendering/IRenderer.h"

#include <set>
#include <string>

class RecordingApiEffect;

// Renderer for tests, benchmarks and fuzz targets without a GL context: every
// call is appended in order to a log (e.g. "SetViewport 0 0 2048 2048"), and
// the factories hand out recording resources and effects that log into the
// same list. Materials made while it lives are the GL ones, as with the real
// renderer.
class RecordingRenderer : public Vorm::IRenderer
{
public:
    // Registers the GL material maker with MaterialEffectFactory.
    RecordingRenderer();
    ~RecordingRenderer() override;

    void Clear(unsigned flags) override;
    void SetClearColor(const Vector4<float>& rgba) override;
    void SetClearDepth(float depth) override;
    void SetCullMode(unsigned mode) override;
    void EnableDepthTest(bool enable) override;
    void SetDepthFunc(unsigned mode) override;
    void SetPolygonMode(unsigned mode) override;
    void SetClipPlane(const Vorm::Plane& plane) override;
    void DisableClipPlane() override;
    Vorm::Viewport& GetViewport() override;
    void SetViewport(int x, int y, int width, int height) override;

    Vorm::IIndexBuffer* CreateIndexBuffer() override;
    Vorm::IVertexBuffer* CreateVertexBuffer() override;
    Vorm::ITexture* CreateTexture() override;
    Vorm::IRenderTarget* CreateRenderTarget() override;
    // A recording effect of that name, or empty for a name marked missing
    // (the error then says the file cannot be opened).
    boost::shared_ptr<Vorm::ApiEffect> CreateApiEffect(const std::string& name, std::string* error = nullptr) override;
    boost::shared_ptr<Vorm::ApiEffect> CreateMaterialApiEffect(const std::string& name,
                                                               std::string* error = nullptr) override;
    void DrawPrimitives(const Vorm::Geometry& geometry) override;

    const RecordingLogLines& Log() const { return *m_log; }
    RecordingLog GetLog() const { return m_log; }
    void ClearLog() { m_log->clear(); }
    // Log entries starting with the prefix, in order.
    RecordingLogLines Find(const std::string& prefix) const;

    // CreateApiEffect of this name answers empty, as for a missing file.
    void MarkMissing(const std::string& name) { m_missing.insert(name); }

    // Recording buffers destroyed since the last reset.
    inline static int s_destroyedBuffers = 0;

private:
    void Record(const std::string& line) { m_log->push_back(line); }

    RecordingLog m_log;
    Vorm::Viewport m_viewport;
    std::set<std::string> m_missing;
    boost::shared_ptr<Vorm::ApiEffect> m_spMaterialProgram;
};

#endif
