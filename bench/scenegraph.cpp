// Per-frame scene-graph cost: Update (world transforms down, bounds up) and
// CollectVisible (frustum culling) over generated trees of ~10k, ~100k and
// ~1M nodes. Reported per node, so the figures should not grow with the tree.
// BM_MemoryFloor sets them beside the least a pass over that much memory costs
// on this machine.

#include "Core/Memory/MemTracker.h"
#include "Core/Scenegraph/BoundingSphere.h"
#include "Core/Scenegraph/Camera.h"
#include "Core/Scenegraph/Culler.h"
#include "Core/Scenegraph/Geometry.h"
#include "Core/Scenegraph/Node.h"

#include <benchmark/benchmark.h>

#include <boost/shared_ptr.hpp>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <vector>

namespace {

const int kBranching = 10;
const float kExtent = 1000.0f;

// Lowest and highest address of the blocks a tree was built from.
struct Span
{
    uintptr_t low = UINTPTR_MAX;
    uintptr_t high = 0;

    void Add(const void* p)
    {
        const uintptr_t a = reinterpret_cast<uintptr_t>(p);
        low = std::min(low, a);
        high = std::max(high, a);
    }
};

// Builds depth-first, as the scene loader does: a node is allocated just
// before its subtree. Child i sits on a 5 x 2 grid within its parent's cell,
// each level a fifth the size of the one above, leaves at the bottom.
void Build(Vorm::Node* parent, int levelsLeft, float cell, size_t& count, Span& span)
{
    for (int i = 0; i < kBranching; ++i)
    {
        const float x = (static_cast<float>(i % 5) - 2.0f) * cell;
        const float z = (static_cast<float>(i / 5) - 0.5f) * cell;
        if (levelsLeft == 0)
        {
            Vorm::Geometry* leaf = VORM_NEW Vorm::Geometry();
            static_cast<Vorm::BoundingSphere*>(leaf->GetLocalBound())
                ->Set(Vector3<float>(0.0f, 0.0f, 0.0f), cell * 0.4f);
            leaf->Local().SetTranslation(x, 0.0f, z);
            parent->AttachChild(leaf);
            span.Add(leaf);
            span.Add(leaf->GetLocalBound());
        }
        else
        {
            Vorm::Node* node = VORM_NEW Vorm::Node();
            node->Local().SetTranslation(x, 0.0f, z);
            parent->AttachChild(node);
            span.Add(node);
            Build(node, levelsLeft - 1, cell / 5.0f, count, span);
        }
        ++count;
    }
}

struct Scene
{
    explicit Scene(int depth) : root(VORM_NEW Vorm::Node()), nodes(1)
    {
        Span span;
        Build(root.get(), depth - 1, kExtent / 5.0f, nodes, span);
        // Heap bytes per node: objects, bounds, shared-pointer counts, child
        // lists, tracker guards and allocator headers, as laid out.
        bytesPerNode = (span.high - span.low) / nodes;
        // Above the middle of the near edge, looking across the right half
        // and down, so that a good part of the tree is culled.
        camera.LookAt(Vector3<float>(0.0f, 300.0f, 900.0f), Vector3<float>(250.0f, 0.0f, 0.0f),
                      Vector3<float>(0.0f, 1.0f, 0.0f));
        camera.SetPerspective(45.0f, 4.0f / 3.0f, 1.0f, 1600.0f);
        root->Update(0.0f, true);
        // The visible list keeps its storage from one pass to the next.
        culler.CollectVisible(*root, &camera);
    }

    boost::shared_ptr<Vorm::Node> root;
    size_t nodes;
    size_t bytesPerNode;
    Vorm::Camera camera;
    Vorm::Culler culler;
};

// depth 4, 5, 6 -> 11111, 111111, 1111111 nodes
int DepthFor(int64_t nodes)
{
    int depth = 1;
    int64_t total = 1 + kBranching;
    int64_t level = kBranching;
    while (total < nodes)
    {
        level *= kBranching;
        total += level;
        ++depth;
    }
    return depth;
}

unsigned AllocationCount()
{
    return Vorm::MemTracker::GetMemoryStatistics().m_uAccumulatedAllocUnitCount;
}

void SetCounters(benchmark::State& state, Scene& scene, unsigned allocations)
{
    state.counters["allocs_per_iter"] =
        static_cast<double>(allocations) / static_cast<double>(state.iterations());
    state.counters["nodes"] = static_cast<double>(scene.nodes);
    state.counters["bytes_per_node"] = static_cast<double>(scene.bytesPerNode);
    state.counters["visible"] = static_cast<double>(scene.culler.GetVisibleList().size());
    state.counters["sec_per_node"] = benchmark::Counter(
        static_cast<double>(scene.nodes),
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// The benchmark library calls each function several times; a tree is built
// once per size and kept for all of them.
std::map<int, Scene*> g_scenes;
std::vector<int> g_buildOrder;

Scene& SceneFor(int64_t nodes)
{
    const int depth = DepthFor(nodes);
    Scene*& scene = g_scenes[depth];
    if (!scene)
    {
        scene = new Scene(depth);
        g_buildOrder.push_back(depth);
    }
    return *scene;
}

// Releases a subtree newest allocation first: the tracker finds recent
// blocks at the front of its hash chains, so this keeps the teardown of a
// million nodes linear.
void TearDown(Vorm::Node& node)
{
    for (int i = node.GetChildCount() - 1; i >= 0; --i)
    {
        boost::shared_ptr<Vorm::Spatial> child = node.GetChild(i);
        Vorm::Node* inner = dynamic_cast<Vorm::Node*>(child.get());
        if (inner)
            TearDown(*inner);
        node.DetachChild(child.get());
    }
}

void BM_UpdateAndCull(benchmark::State& state)
{
    Scene& scene = SceneFor(state.range(0));
    const unsigned before = AllocationCount();
    for (auto _ : state)
    {
        scene.root->Update(0.016f, true);
        scene.culler.CollectVisible(*scene.root, &scene.camera);
        benchmark::DoNotOptimize(scene.culler.GetVisibleList().data());
    }
    SetCounters(state, scene, AllocationCount() - before);
}

void BM_Update(benchmark::State& state)
{
    Scene& scene = SceneFor(state.range(0));
    const unsigned before = AllocationCount();
    for (auto _ : state)
    {
        scene.root->Update(0.016f, true);
        benchmark::ClobberMemory();
    }
    scene.culler.CollectVisible(*scene.root, &scene.camera);
    SetCounters(state, scene, AllocationCount() - before);
}

void BM_Cull(benchmark::State& state)
{
    Scene& scene = SceneFor(state.range(0));
    const unsigned before = AllocationCount();
    for (auto _ : state)
    {
        scene.culler.CollectVisible(*scene.root, &scene.camera);
        benchmark::DoNotOptimize(scene.culler.GetVisibleList().data());
    }
    SetCounters(state, scene, AllocationCount() - before);
}

// One plain pass over as many bytes as the tree spans, a load per cache
// line, in address order: no pointer chains, no work, every prefetcher's best
// case. A walk that has to read each node's blocks from memory cannot beat it.
void BM_MemoryFloor(benchmark::State& state)
{
    Scene& scene = SceneFor(state.range(0));
    std::vector<unsigned char> memory(scene.nodes * scene.bytesPerNode, 1);
    unsigned sum = 0;
    for (auto _ : state)
    {
        for (size_t offset = 0; offset < memory.size(); offset += 64)
            sum += memory[offset];
        benchmark::DoNotOptimize(sum);
    }
    SetCounters(state, scene, 0);
}

} // namespace

BENCHMARK(BM_UpdateAndCull)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Update)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Cull)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MemoryFloor)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    for (size_t i = g_buildOrder.size(); i-- > 0;)
    {
        Scene* scene = g_scenes[g_buildOrder[i]];
        TearDown(*scene->root);
        delete scene;
    }
    return 0;
}
