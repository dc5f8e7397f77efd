// What reading an effect file costs by its length: one technique of 1,000,
// 10,000 and 100,000 passes, each naming a vertex and a fragment shader, read
// into techniques and passes (no GL). The time per pass should stay the same
// whatever the count: a search that ran past its block would grow with it.

#include "RenderGL/effects/api/glsl/GLSLEffectSystem.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace {

std::string EffectText(int passes)
{
    std::string text = "technique Long\n{\n";
    for (int i = 0; i < passes; ++i)
        text += "    pass P" + std::to_string(i) +
                "\n    {\n        VertexShader = <Long.vert>;\n        FragmentShader = <Long.frag>;\n    }\n";
    return text + "}\n";
}

void BM_ReadEffect(benchmark::State& state)
{
    const int passes = static_cast<int>(state.range(0));
    const std::string text = EffectText(passes);
    std::vector<Vorm::GLSLEffectSystem::TechniqueDesc> techniques;
    std::string error;
    for (auto _ : state) {
        // The last read's descriptions are freed untimed: under the tracking
        // allocator a free costs in step with the blocks still held, which
        // is the tracker's cost, not the reader's.
        state.PauseTiming();
        techniques.clear();
        state.ResumeTiming();
        if (!Vorm::GLSLEffectSystem::ParseEffect(text, techniques, error) || techniques.size() != 1 ||
            techniques[0].m_passes.size() != static_cast<size_t>(passes)) {
            state.SkipWithError(("not read: " + error).c_str());
            return;
        }
        benchmark::DoNotOptimize(techniques.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
    state.SetComplexityN(passes);
    state.counters["passes"] = passes;
}

} // namespace

BENCHMARK(BM_ReadEffect)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Complexity();

BENCHMARK_MAIN();
