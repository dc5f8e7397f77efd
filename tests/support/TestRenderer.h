#ifndef VORM_TESTS_TESTRENDERER_H
#define VORM_TESTS_TESTRENDERER_H

#include "Core/Memory/MemTracker.h"
#include "Core/Rendering/ApiEffect.h"
#include "Core/Rendering/IIndexBuffer.h"
#include "Core/Rendering/IRenderer.h"
#include "Core/Rendering/IVertexBuffer.h"
#include "Core/Rendering/MaterialEffectFactory.h"
#include "RenderGL/effects/GLMaterialEffect.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

// The bytes a test buffer kept, as records of T.
template <typename T>
std::vector<T> Records(const std::vector<std::uint8_t>& bytes)
{
    std::vector<T> out(bytes.size() / sizeof(T));
    if (!out.empty())
        std::memcpy(out.data(), bytes.data(), out.size() * sizeof(T));
    return out;
}

// A renderer singleton without a graphics API, for code that only needs the
// renderer's folders or its buffer factories. Its buffers keep a copy of the
// bytes handed to Create, so tests can read what a builder uploaded after
// the builder's own arrays are gone. Header-only: the fuzz targets, which
// link nothing but the engine, use it as well.
class TestRenderer : public Vorm::IRenderer
{
public:
    // Materials read with this renderer are the GL ones, as with the real one.
    TestRenderer() { Vorm::MaterialEffectFactory::Register(&Vorm::GLMaterialEffect::Make); }

    class VertexBuffer : public Vorm::IVertexBuffer
    {
    public:
        ~VertexBuffer() override { ++s_destroyedBuffers; }
        void Bind() override {}
        void Unbind() override {}
        void Create(const Vorm::BufferData& data, const Vorm::VertexFormat* format) override
        {
            if (format)
                m_vertexFormat = *format;
            bytes = Keep(data, m_bufferData);
        }
        const Vorm::BufferData& Data() const { return m_bufferData; }
        std::vector<std::uint8_t> bytes;
    };

    class IndexBuffer : public Vorm::IIndexBuffer
    {
    public:
        ~IndexBuffer() override { ++s_destroyedBuffers; }
        void Bind() override {}
        void Unbind() override {}
        void Create(const Vorm::BufferData& data, const Vorm::DataType& format) override
        {
            m_indexFormat = format;
            bytes = Keep(data, m_bufferData);
            created = true;
        }
        bool IsValid() override { return created; }
        const Vorm::BufferData& Data() const { return m_bufferData; }
        std::vector<std::uint8_t> bytes;
        bool created = false;
    };

    // Buffers destroyed since the last reset.
    inline static int s_destroyedBuffers = 0;

    void Clear(unsigned) override {}
    void SetClearColor(const Vector4<float>&) override {}
    void SetClearDepth(float) override {}
    void EnableDepthTest(bool) override {}
    void SetDepthFunc(unsigned) override {}
    void SetPolygonMode(unsigned) override {}
    void DisableClipPlane() override { IRenderer::DisableClipPlane(); }
    Vorm::Viewport& GetViewport() override { return m_viewport; }
    void SetViewport(int x, int y, int w, int h) override { m_viewport = Vorm::Viewport{x, y, w, h}; }
    Vorm::IIndexBuffer* CreateIndexBuffer() override { return VORM_NEW IndexBuffer(); }
    Vorm::IVertexBuffer* CreateVertexBuffer() override { return VORM_NEW VertexBuffer(); }
    Vorm::ITexture* CreateTexture() override { return nullptr; }
    Vorm::IRenderTarget* CreateRenderTarget() override { return nullptr; }
    boost::shared_ptr<Vorm::ApiEffect> CreateApiEffect(const std::string&) override { return {}; }
    boost::shared_ptr<Vorm::ApiEffect> CreateMaterialApiEffect(const std::string&) override { return {}; }
    void DrawPrimitives(const Vorm::Geometry&) override {}

private:
    // The description without the caller's pointer, which lives only during
    // Create; returns a copy of the bytes.
    static std::vector<std::uint8_t> Keep(const Vorm::BufferData& data, Vorm::BufferData& kept)
    {
        kept = data;
        kept.m_pData = nullptr;
        const std::uint8_t* p = static_cast<const std::uint8_t*>(data.m_pData);
        return p ? std::vector<std::uint8_t>(p, p + data.m_size) : std::vector<std::uint8_t>();
    }

    Vorm::Viewport m_viewport{0, 0, 0, 0};
};

#endif
