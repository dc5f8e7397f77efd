// Tracked new/delete against the runtime's malloc/free, logging off (the
// default) and wiping on (the default). Aim: at most 1.5x the plain pair at
// 16 and 256 bytes.
#include "Core/Memory/MemTracker.h"

#include <benchmark/benchmark.h>

#include <cstdlib>

namespace {

void PlainMallocFree(benchmark::State& state)
{
    const std::size_t size = static_cast<std::size_t>(state.range(0));
    for (auto _ : state)
    {
        void* p = std::malloc(size);
        benchmark::DoNotOptimize(p);
        std::free(p);
        benchmark::ClobberMemory();
    }
}

// A plain new-expression: owner "??", as for standard containers.
void TrackedNewDelete(benchmark::State& state)
{
    const std::size_t size = static_cast<std::size_t>(state.range(0));
    for (auto _ : state)
    {
        char* p = new char[size];
        benchmark::DoNotOptimize(p);
        delete[] p;
        benchmark::ClobberMemory();
    }
}

// Through the owner macros, as engine code allocates.
void TrackedVormNewDelete(benchmark::State& state)
{
    const std::size_t size = static_cast<std::size_t>(state.range(0));
    for (auto _ : state)
    {
        char* p = VORM_NEW char[size];
        benchmark::DoNotOptimize(p);
        VORM_DELETE[] p;
        benchmark::ClobberMemory();
    }
}

} // namespace

BENCHMARK(PlainMallocFree)->Arg(16)->Arg(256)->Arg(4096);
BENCHMARK(TrackedNewDelete)->Arg(16)->Arg(256)->Arg(4096);
BENCHMARK(TrackedVormNewDelete)->Arg(16)->Arg(256)->Arg(4096);

BENCHMARK_MAIN();
