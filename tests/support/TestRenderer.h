#ifndef VORM_TESTS_TESTRENDERER_H
#define VORM_TESTS_TESTRENDERER_H

#include "Core/Rendering/IIndexBuffer.h"
#include "Core/Rendering/IRenderer.h"
#include "Core/Rendering/IVertexBuffer.h"

#include <cstdint>
#include <string>
#include <vector>

// A renderer singleton without a graphics API, for code that only needs the
// renderer's folders or its buffer factories. Its buffers keep a copy of the
// bytes handed to Create, so tests can read what a builder uploaded after
// the builder's own arrays are gone.
class TestRenderer : public Vorm::IRenderer
{
public:
    class VertexBuffer : public Vorm::IVertexBuffer
    {
    public:
        ~VertexBuffer() override;
        void Bind() override {}
        void Unbind() override {}
        void Create(const Vorm::BufferData& data, const Vorm::VertexFormat* format) override;
        const Vorm::BufferData& Data() const { return m_bufferData; }
        std::vector<std::uint8_t> bytes;
    };

    class IndexBuffer : public Vorm::IIndexBuffer
    {
    public:
        ~IndexBuffer() override;
        void Bind() override {}
        void Unbind() override {}
        void Create(const Vorm::BufferData& data, const Vorm::DataType& format) override;
        bool IsValid() override { return created; }
        const Vorm::BufferData& Data() const { return m_bufferData; }
        std::vector<std::uint8_t> bytes;
        bool created = false;
    };

    // Buffers destroyed since the last reset.
    static int s_destroyedBuffers;

    TestRenderer() {}

    void Clear(unsigned) override {}
    void SetClearColor(const Vector4<float>&) override {}
    void SetClearDepth(float) override {}
    void EnableDepthTest(bool) override {}
    void SetDepthFunc(unsigned) override {}
    void SetPolygonMode(unsigned) override {}
    void DisableClipPlane() override { IRenderer::DisableClipPlane(); }
    Vorm::Viewport& GetViewport() override { return m_viewport; }
    void SetViewport(int x, int y, int w, int h) override { m_viewport = Vorm::Viewport{x, y, w, h}; }
    Vorm::IIndexBuffer* CreateIndexBuffer() override;
    Vorm::IVertexBuffer* CreateVertexBuffer() override;
    Vorm::ITexture* CreateTexture() override { return nullptr; }
    Vorm::IRenderTarget* CreateRenderTarget() override { return nullptr; }
    boost::shared_ptr<Vorm::ApiEffect> CreateApiEffect(const std::string&) override
    {
        return boost::shared_ptr<Vorm::ApiEffect>();
    }
    boost::shared_ptr<Vorm::ApiEffect> CreateMaterialApiEffect(const std::string&) override
    {
        return boost::shared_ptr<Vorm::ApiEffect>();
    }
    void DrawPrimitives(const Vorm::Geometry&) override {}

private:
    Vorm::Viewport m_viewport{0, 0, 0, 0};
};

#endif
