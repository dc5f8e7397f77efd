#ifndef VORM_FUZZ_FUZZSUPPORT_H
#define VORM_FUZZ_FUZZSUPPORT_H

// Shared by the fuzz targets: the tests' recording renderer without a graphics
// API (buffers keep a copy of their data so targets can check what a reader uploaded),
// a per-process temp folder for readers that take a path, and silencing of
// the readers' console lines, which would flood the fuzzer's output.

#include "../tests/support/ModelTestFiles.h"
#include "RecordingIndexBuffer.h"
#include "RecordingRenderer.h"
#include "RecordingTexture.h"
#include "RecordingVertexBuffer.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <unistd.h>

namespace FuzzSupport {

// The tests' recording renderer: its buffers keep a copy of their bytes and
// its textures their file name.
typedef RecordingRenderer Renderer;

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
