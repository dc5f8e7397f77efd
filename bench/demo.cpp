// Both demo scenes' real set-up and frames offscreen at 1024 x 768 (a hidden
// window): time to the first frame, frame times (mean, 95th percentile) and
// the time of each pass with glFinish between passes; for the world scene
// also medians over its whole flight loop ("loop_"). Run under Xvfb with
// MESA_GL_VERSION_OVERRIDE=3.1FC MESA_GLSL_VERSION_OVERRIDE=140. Counters
// are in milliseconds ("first_frame" in seconds).
#include "ScopedWorkingDir.h"
#include "StubApp.h"
#include "StubInputSource.h"
#include "Verdmoor.h"

#include "Core/Input/InputMngr.h"
#include "Core/Rendering/IRenderer.h"
#include "Core/Scenegraph/Camera.h"
#include "Platform/GLWindowContext.h"
#include "RenderGL/GLRenderer.h"
#include "RenderGL/effects/GLWaterEffect.h"

#include <GL/glew.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace {

typedef std::chrono::steady_clock Clock;

const int kWidth = 1024;
const int kHeight = 768;
const float kStep = 1.0f / 30.0f;

double Seconds(Clock::time_point from) { return std::chrono::duration<double>(Clock::now() - from).count(); }

// Runs the pass and waits for the GPU; its time in milliseconds is added to the pass's sum.
void Timed(std::map<std::string, double>& sums, const std::string& pass, const std::function<void()>& work)
{
    const Clock::time_point start = Clock::now();
    work();
    glFinish();
    sums[pass] += Seconds(start) * 1000.0;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The frames along the flight differ far more than the first ones: the whole
// frame (as in the frame loop) and then the grass pass on its own, at moments
// spread evenly over one loop of the flight.
void LoopTimes(Verdmoor& demo, Vorm::IRenderer& renderer, benchmark::UserCounters& counters)
{
    const int moments = 24;
    // Every update moves the flight on by one key frame: count them round.
    const Vector3<float> start = demo.GetAnimatedCamera()->GetLocation();
    int keys = 0;
    do {
        demo.Update(kStep);
        ++keys;
    } while ((demo.GetAnimatedCamera()->GetLocation() - start).Length() > 1e-3f && keys < 100000);
    std::vector<double> frame, grass;
    for (int m = 0; m < moments; ++m) {
        for (int k = 1; k < keys / moments; ++k)
            demo.Update(kStep);
        Clock::time_point start = Clock::now();
        demo.Update(kStep);
        demo.Render();
        glFinish();
        frame.push_back(Seconds(start) * 1000.0);
        renderer.ApplyCamera();
        demo.RenderShadows();
        renderer.Clear(3);
        demo.RenderSceneMeshes();
        demo.RenderTerrain();
        glFinish();
        start = Clock::now();
        demo.RenderGrass();
        glFinish();
        grass.push_back(Seconds(start) * 1000.0);
    }
    counters["loop_frame_median"] = Median(frame);
    counters["loop_grass_median"] = Median(grass);
    counters["loop_grass_max"] = *std::max_element(grass.begin(), grass.end());
}

void DemoFrames(benchmark::State& state, Verdmoor::Scene scene)
{
    Win32::GLWindowContext ctx(kWidth, kHeight);
    if (!ctx.Ok()) {
        state.SkipWithError(ctx.Error().c_str());
        return;
    }
    ScopedWorkingDir bin(VORM_SOURCE_DIR "/bin");
    if (!bin.Ok()) {
        state.SkipWithError("no bin folder beside data");
        return;
    }
    StubApp app(kWidth, kHeight);
    app.Window().onSwap = [&ctx] { ctx.Swap(); };
    StubInputSource keys;
    Vorm::InputMngr input;
    input.SetInputSource(&keys);
    Vorm::GLRenderer renderer;

    double firstFrame = 0.0;
    std::vector<double> frames;
    std::map<std::string, double> sums;
    {
        const Clock::time_point start = Clock::now();
        Verdmoor demo(scene);
        demo.PreInit();
        demo.Init();
        demo.Resize(kWidth, kHeight);
        glFinish();
        firstFrame = Seconds(start);
        if (!demo.IsSceneReady()) {
            state.SkipWithError("the scene did not set up");
            return;
        }

        for (auto _ : state) {
            const Clock::time_point start = Clock::now();
            demo.Update(kStep);
            demo.Render();
            glFinish();
            frames.push_back(Seconds(start) * 1000.0);
        }

        // The same frames once more, pass by pass in Render's order.
        const int passFrames = 10;
        for (int i = 0; i < passFrames; ++i) {
            Timed(sums, "update", [&] { demo.Update(kStep); });
            Timed(sums, "shadow_maps", [&] {
                renderer.ApplyCamera();
                demo.RenderShadows();
            });
            Timed(sums, "clear", [&] { renderer.Clear(3); });
            Timed(sums, "scene_meshes", [&] { demo.RenderSceneMeshes(); });
            if (demo.GetSceneKind() == 1) {
                Timed(sums, "terrain_cells", [&] { demo.RenderTerrain(); });
                Timed(sums, "grass", [&] { demo.RenderGrass(); });
            }
            Timed(sums, "sky", [&] { demo.RenderSky(); });
            Timed(sums, "water_reflection", [&] { demo.GetWaterEffect()->RenderReflection(); });
            Timed(sums, "water_refraction", [&] { demo.GetWaterEffect()->RenderRefraction(); });
            Timed(sums, "water_surface", [&] { demo.GetWaterEffect()->RenderSurface(); });
            Timed(sums, "models", [&] { demo.RenderModels(); });
            Timed(sums, "swap", [&] { ctx.Swap(); });
        }
        for (auto& sum : sums)
            sum.second /= passFrames;
        if (demo.GetSceneKind() == 1)
            LoopTimes(demo, renderer, state.counters);
        if (glGetError() != GL_NO_ERROR)
            state.SkipWithError("GL error during the frames");
    }

    std::vector<double> sorted = frames;
    std::sort(sorted.begin(), sorted.end());
    double total = 0.0;
    for (double f : frames)
        total += f;
    state.counters["first_frame_s"] = firstFrame;
    if (!frames.empty()) {
        state.counters["frame_mean"] = total / double(frames.size());
        state.counters["frame_p95"] = sorted[std::min(sorted.size() - 1, sorted.size() * 95 / 100)];
        state.counters["fps"] = 1000.0 * double(frames.size()) / total;
    }
    for (const auto& sum : sums)
        state.counters[sum.first] = sum.second;
}

void WorldScene(benchmark::State& state) { DemoFrames(state, Verdmoor::eScene_World); }
void Nature1Scene(benchmark::State& state) { DemoFrames(state, Verdmoor::eScene_Nature1); }

BENCHMARK(WorldScene)->Unit(benchmark::kMillisecond)->Iterations(60)->UseRealTime();
BENCHMARK(Nature1Scene)->Unit(benchmark::kMillisecond)->Iterations(60)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
