// What reading the demo's mesh files costs: every mesh file of both scenes
// read into meshes on the recording renderer (no GL), once per iteration.
// The files are read from disk each time, as the scene loader reads them.

#include "RecordingRenderer.h"
#include "RepoFiles.h"

#include "Core/Scenegraph/mesh/TriangleMesh.h"
#include "Core/Scenegraph/model/OgreXmlModelLoader.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace {

std::vector<std::string> DemoMeshFiles()
{
    std::vector<std::string> files;
    for (const char* folder : {"data/scene/Nature1", "data/scene/world/scene"}) {
        for (const auto& entry : std::filesystem::directory_iterator(RepoPath(folder))) {
            const std::string name = entry.path().string();
            if (name.size() > 9 && name.compare(name.size() - 9, 9, ".mesh.xml") == 0)
                files.push_back(name);
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

void BM_ReadDemoMeshes(benchmark::State& state)
{
    RecordingRenderer renderer;
    const std::vector<std::string> files = DemoMeshFiles();
    std::int64_t bytes = 0;
    for (const std::string& f : files)
        bytes += static_cast<std::int64_t>(std::filesystem::file_size(f));
    for (auto _ : state) {
        for (const std::string& f : files) {
            Vorm::TriangleMesh mesh;
            if (!Vorm::OgreXmlModelLoader::LoadMesh(f, &mesh)) {
                state.SkipWithError(("cannot read " + f).c_str());
                return;
            }
            renderer.ClearLog();
        }
    }
    state.SetBytesProcessed(state.iterations() * bytes);
    state.counters["files"] = static_cast<double>(files.size());
}

} // namespace

BENCHMARK(BM_ReadDemoMeshes)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
