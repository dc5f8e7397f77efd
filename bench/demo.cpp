// Both demo scenes' real set-up and frames offscreen at 1024 x 768 (a hidden
// window), sampled at evenly spread times over the whole camera flight: time
// to the first frame, frame times, and the time of each pass with glFinish
// between passes beside its floor, the same geometry drawn with a
// constant-colour program at the same moment, so every run shows how far each
// shader is from what the rasteriser needs just to cover its pixels. Run under
// Xvfb with MESA_GL_VERSION_OVERRIDE=3.1FC MESA_GLSL_VERSION_OVERRIDE=140.
// Counters are in milliseconds ("first_frame" in seconds); the pass table is
// printed after each scene, ending with the frame that every shaded pass at
// its floor would give.
#include "DemoRun.h"
#include "PassFloors.h"
#include "ProcessCpuTime.h"

#include "Core/Scenegraph/Spatial.h"
#include "Core/Scenegraph/TransformController.h"
#include "Platform/GLWindowContext.h"
#include "RenderGL/GLRenderer.h"
#include "RenderGL/effects/GLWaterEffect.h"

#include <GL/glew.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace {

typedef std::chrono::steady_clock Clock;

const int kWidth = 1024;
const int kHeight = 768;
const float kStep = 1.0f / 30.0f;
// Moments of the flight that are measured, evenly spread over the loop.
const int kSamples = 24;

double Seconds(Clock::time_point from) { return std::chrono::duration<double>(Clock::now() - from).count(); }

// One pass at each moment: wall and CPU milliseconds.
struct Samples
{
    std::vector<double> wall;
    std::vector<double> cpu;
};

// Per pass: the real pass and its floor.
struct PassTimes
{
    std::vector<std::string> order;
    std::map<std::string, Samples> real;
    std::map<std::string, Samples> floor;

    void Time(std::map<std::string, Samples>& times, const std::string& pass, const std::function<void()>& work)
    {
        if (std::find(order.begin(), order.end(), pass) == order.end())
            order.push_back(pass);
        const double cpu = ProcessCpuMilliseconds();
        const Clock::time_point start = Clock::now();
        work();
        glFinish();
        times[pass].wall.push_back(Seconds(start) * 1000.0);
        times[pass].cpu.push_back(ProcessCpuMilliseconds() - cpu);
    }
};

// The middle value: a moment that also compiled a shader variant does not count.
double Median(std::vector<double> values)
{
    if (values.empty())
        return 0.0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void DemoFrames(benchmark::State& state, Verdmoor::Scene scene, const char* title)
{
    Win32::GLWindowContext ctx(kWidth, kHeight);
    if (!ctx.Ok()) {
        state.SkipWithError(ctx.Error().c_str());
        return;
    }
    double firstFrame = 0.0;
    std::vector<double> frames;
    PassTimes passes;
    int passFrames = 0;
    {
        const Clock::time_point start = Clock::now();
        DemoRun run(scene, kWidth, kHeight);
        glFinish();
        firstFrame = Seconds(start);
        run.App().Window().onSwap = [&ctx] { ctx.Swap(); };
        Verdmoor& demo = run.Demo();
        Vorm::GLRenderer& renderer = run.Renderer();
        PassFloors floors;
        if (!run.Ok() || !floors.Create(renderer)) {
            state.SkipWithError("the scene or the floor programs did not set up");
            return;
        }
        // Updates of 1/30 s, the key frames' spacing: the flight's length in updates.
        const int loop = int(demo.GetAnimatedMesh()->GetController()->GetKeyframeCount());
        Vorm::GLWaterEffect& water = *demo.GetWaterEffect();

        // What stands for a shaded pass in the floor frame, by pass name.
        const std::map<std::string, std::function<void()>> floorOf = {
            {"scene_meshes", [&] { floors.DrawMeshes(demo.GetVisibleMeshes()); }},
            {"terrain_cells", [&] { floors.DrawMeshes(demo.GetVisibleCells()); }},
            {"grass", [&] { floors.DrawGrass(*demo.GetTerrain()); }},
        };
        const Verdmoor::Pass* sky = nullptr;
        for (const Verdmoor::Pass& pass : demo.GetPasses())
            sky = pass.Is("sky") ? &pass : sky;

        // The next frame pass by pass, each timed under its name (the water by
        // the effect's three parts), then the same moment again with each
        // shaded pass replaced by its floor (the other passes run as usual, so
        // the floors meet the same depth).
        auto PassFrame = [&] {
            std::map<std::string, Samples>& real = passes.real;
            passes.Time(real, "update", [&] { demo.Update(kStep); });
            for (const Verdmoor::Pass& pass : demo.GetPasses()) {
                if (pass.Is("water")) {
                    passes.Time(real, "water_reflection", [&] { water.RenderReflection(); });
                    passes.Time(real, "water_refraction", [&] { water.RenderRefraction(); });
                    passes.Time(real, "water_surface", [&] { water.RenderSurface(); });
                } else {
                    passes.Time(real, pass.name, [&] { demo.Draw(pass); });
                }
            }
            passes.Time(real, "swap", [&] { ctx.Swap(); });

            std::map<std::string, Samples>& floor = passes.floor;
            for (const Verdmoor::Pass& pass : demo.GetPasses()) {
                const auto stand = floorOf.find(pass.name);
                if (stand != floorOf.end()) {
                    passes.Time(floor, pass.name, stand->second);
                } else if (pass.Is("water")) {
                    passes.Time(floor, "water_reflection", [&] { floors.DrawReflection(water, [&] { demo.Draw(*sky); }); });
                    passes.Time(floor, "water_surface", [&] { floors.DrawWater(water); });
                } else {
                    demo.Draw(pass);
                }
            }
        };
        // Once untimed: the first use of each program and target compiles the
        // rasteriser's shader variants.
        PassFrame();
        passes.real.clear();
        passes.floor.clear();

        for (auto _ : state) {
            // On to the next sampled moment: the flight keeps to the update
            // time, so the moments are the same in every run.
            for (int i = 0; i < loop / kSamples - 2; ++i)
                demo.Update(kStep);

            const Clock::time_point start = Clock::now();
            demo.Update(kStep);
            demo.Render();
            glFinish();
            const double frame = Seconds(start);
            state.SetIterationTime(frame);
            frames.push_back(frame * 1000.0);

            PassFrame();
            ++passFrames;
        }
        if (glGetError() != GL_NO_ERROR)
            state.SkipWithError("GL error during the frames");
    }

    std::vector<double> sorted = frames;
    std::sort(sorted.begin(), sorted.end());
    double total = 0.0;
    for (double f : frames)
        total += f;
    state.counters["first_frame_s"] = firstFrame;
    if (frames.empty())
        return;
    const double mean = total / double(frames.size());
    state.counters["frame_mean"] = mean;
    state.counters["frame_median"] = sorted[sorted.size() / 2];
    state.counters["frame_p95"] = sorted[std::min(sorted.size() - 1, sorted.size() * 95 / 100)];
    state.counters["fps"] = 1000.0 / mean;

    std::printf("\n%s: ms per pass, median of %d moments over the flight; floor = the same geometry with a "
                "constant colour\n",
                title, passFrames);
    std::printf("  %-18s %8s %8s %7s %9s %8s %7s\n", "pass", "time", "floor", "ratio", "cpu time", "floor", "ratio");
    // The frame with every shaded pass at its floor: what the passes leave
    // for shading whatever the shaders do.
    double floorFrame = 0.0;
    for (const std::string& pass : passes.order) {
        const Samples& real = passes.real[pass];
        const double time = Median(real.wall);
        const double cpu = Median(real.cpu);
        std::printf("  %-18s %8.2f", pass.c_str(), time);
        state.counters[pass] = time;
        const auto floor = passes.floor.find(pass);
        if (floor != passes.floor.end()) {
            const double base = std::max(Median(floor->second.wall), 1e-3);
            const double cpuBase = std::max(Median(floor->second.cpu), 1e-3);
            std::printf(" %8.2f %6.1fx %9.2f %8.2f %6.1fx", base, time / base, cpu, cpuBase, cpu / cpuBase);
            state.counters[pass + "_x"] = time / base;
            floorFrame += base;
        } else {
            floorFrame += time;
        }
        std::printf("\n");
    }
    state.counters["floor_frame"] = floorFrame;
    std::printf("  %-18s %8.2f  (%.1f frames a second with every shaded pass at its floor)\n", "floor frame",
                floorFrame, 1000.0 / floorFrame);
    std::printf("  %-18s %8.2f  (median %.2f; %.1f frames a second)\n\n", "frame", mean, sorted[sorted.size() / 2],
                1000.0 / mean);
    std::fflush(stdout);
}

void WorldScene(benchmark::State& state) { DemoFrames(state, Verdmoor::eScene_World, "World"); }
void Nature1Scene(benchmark::State& state) { DemoFrames(state, Verdmoor::eScene_Nature1, "Nature1"); }

BENCHMARK(WorldScene)->Unit(benchmark::kMillisecond)->Iterations(kSamples)->UseManualTime();
BENCHMARK(Nature1Scene)->Unit(benchmark::kMillisecond)->Iterations(kSamples)->UseManualTime();

} // namespace

BENCHMARK_MAIN();
