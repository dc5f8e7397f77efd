#ifndef VORM_FUZZ_FUZZSUPPORT_H
#define VORM_FUZZ_FUZZSUPPORT_H

// Shared by the fuzz targets: the tests' renderer without a graphics API
// (buffers keep a copy of their data so targets can check what a reader uploaded),
// a per-process temp folder for readers that take a path, and silencing of
// the readers' console lines, which would flood the fuzzer's output.

#include "../tests/support/ModelTestFiles.h"
#include "../tests/support/TestRenderer.h"

#include "Core/Rendering/ITexture.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <unistd.h>

namespace FuzzSupport {

// The test renderer, with textures that remember their file name.
class Renderer : public TestRenderer
{
public:
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

    Vorm::ITexture* CreateTexture() override { return new Texture(); }
};

inline std::string& TempDirStorage()
{
    static std::string dir;
    return dir;
}

inline void RemoveTempDir()
{
    std::error_code ec;
    if (!TempDirStorage().empty())
        std::filesystem::remove_all(TempDirStorage(), ec);
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
