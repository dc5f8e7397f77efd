#ifndef VORM_FUZZ_FUZZSUPPORT_H
#define VORM_FUZZ_FUZZSUPPORT_H

// Shared by the fuzz targets: a renderer without a graphics API (buffers
// keep a copy of their data so targets can check what a reader uploaded),
// a per-process temp folder for readers that take a path, and silencing of
// the readers' console lines, which would flood the fuzzer's output.

#include "Core/Rendering/ApiEffect.h"
#include "Core/Rendering/IIndexBuffer.h"
#include "Core/Rendering/IRenderer.h"
#include "Core/Rendering/ITexture.h"
#include "Core/Rendering/IVertexBuffer.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <iostream>
#include <string>
#include <unistd.h>
#include <vector>

namespace FuzzSupport {

class Renderer : public Vorm::IRenderer
{
public:
    class VertexBuffer : public Vorm::IVertexBuffer
    {
    public:
        void Bind() override {}
        void Unbind() override {}
        void Create(const Vorm::BufferData& data, const Vorm::VertexFormat* format) override
        {
            m_bufferData = data;
            if (format)
                m_vertexFormat = *format;
            const std::uint8_t* p = static_cast<const std::uint8_t*>(data.m_pData);
            bytes.assign(p, p + (p ? data.m_size : 0));
            m_bufferData.m_pData = nullptr;
        }
        std::vector<std::uint8_t> bytes;
    };

    class IndexBuffer : public Vorm::IIndexBuffer
    {
    public:
        void Bind() override {}
        void Unbind() override {}
        void Create(const Vorm::BufferData& data, const Vorm::DataType& format) override
        {
            m_bufferData = data;
            m_indexFormat = format;
            const std::uint8_t* p = static_cast<const std::uint8_t*>(data.m_pData);
            bytes.assign(p, p + (p ? data.m_size : 0));
            m_bufferData.m_pData = nullptr;
        }
        bool IsValid() override { return true; }
        std::vector<std::uint8_t> bytes;
    };

    class Texture : public Vorm::ITexture
    {
    public:
        void Create(const Vorm::TextureDesc&) override {}
        void CreateFromData(const Vorm::TextureDesc&, const void*) override {}
        void CreateFromFile(const Vorm::TextureDesc&, const std::string& fileName) override { name = fileName; }
        void SetParameters(const Vorm::TextureParams&) override {}
        void GenerateMipmaps() override {}
        void CopyFromFramebuffer() override {}
        void Bind() override {}
        void Unbind() override {}
        std::string name;
    };

    void Clear(unsigned) override {}
    void SetClearColor(const Vector4<float>&) override {}
    void SetClearDepth(float) override {}
    void EnableDepthTest(bool) override {}
    void SetDepthFunc(unsigned) override {}
    void SetPolygonMode(unsigned) override {}
    void DisableClipPlane() override { IRenderer::DisableClipPlane(); }
    Vorm::Viewport& GetViewport() override { return m_viewport; }
    void SetViewport(int x, int y, int w, int h) override { m_viewport = Vorm::Viewport{x, y, w, h}; }
    Vorm::IIndexBuffer* CreateIndexBuffer() override { return new IndexBuffer(); }
    Vorm::IVertexBuffer* CreateVertexBuffer() override { return new VertexBuffer(); }
    Vorm::ITexture* CreateTexture() override { return new Texture(); }
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

inline void RemoveDir(const std::string& dir)
{
    if (DIR* d = opendir(dir.c_str())) {
        while (dirent* e = readdir(d)) {
            const std::string name = e->d_name;
            if (name != "." && name != "..")
                std::remove((dir + name).c_str());
        }
        closedir(d);
    }
    rmdir(dir.c_str());
}

inline std::string& TempDirStorage()
{
    static std::string dir;
    return dir;
}

inline void RemoveTempDir()
{
    if (!TempDirStorage().empty())
        RemoveDir(TempDirStorage());
}

// One folder per process, with a trailing '/', removed at exit.
inline const std::string& TempDir()
{
    std::string& dir = TempDirStorage();
    if (dir.empty()) {
        char pattern[] = "/tmp/vorm-fuzz-XXXXXX";
        if (!mkdtemp(pattern))
            std::abort();
        dir = std::string(pattern) + "/";
        std::atexit(RemoveTempDir);
    }
    return dir;
}

inline void WriteFile(const std::string& path, const void* data, size_t size)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        std::abort();
    if (size)
        std::fwrite(data, 1, size, f);
    std::fclose(f);
}

inline std::string ReadFile(const std::string& path)
{
    std::string text;
    if (FILE* f = std::fopen(path.c_str(), "rb")) {
        char buf[4096];
        size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
            text.append(buf, n);
        std::fclose(f);
    }
    return text;
}

// The readers report every malformed input on standard output.
inline void SilenceConsole()
{
    std::cout.setstate(std::ios::badbit);
}

// Fails loudly so that the fuzzer records the input.
inline void Check(bool condition, const char* what)
{
    if (!condition) {
        std::fprintf(stderr, "fuzz check failed: %s\n", what);
        std::abort();
    }
}

} // namespace FuzzSupport

#endif
