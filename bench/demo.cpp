// Both demo scenes' real set-up and frames offscreen at 1024 x 768 (a hidden
// window), sampled at evenly spread times over the whole camera flight: time
// to the first frame, frame times, and the time of each pass with glFinish
// between passes beside its floor, the same geometry drawn with a
// constant-colour program at the same moment, so every run shows how far each
// shader is from what the rasteriser needs just to cover its pixels. Run under
// Xvfb with MESA_GL_VERSION_OVERRIDE=3.1FC MESA_GLSL_VERSION_OVERRIDE=140.
// Counters are in milliseconds ("first_frame" in seconds); the pass table is
// printed after each scene.
#include "ScopedWorkingDir.h"
#include "StubApp.h"
#include "StubInputSource.h"
#include "Verdmoor.h"

#include "Core/Input/InputMngr.h"
#include "Core/Rendering/IIndexBuffer.h"
#include "Core/Rendering/IRenderTarget.h"
#include "Core/Rendering/IRenderer.h"
#include "Core/Rendering/ITexture.h"
#include "Core/Rendering/ResourceMap.h"
#include "Core/Scenegraph/Camera.h"
#include "Core/Scenegraph/Spatial.h"
#include "Core/Scenegraph/TransformController.h"
#include "Core/Scenegraph/mesh/TriangleMesh.h"
#include "Core/Terrain/base/GrassPatch.h"
#include "Core/Terrain/base/Terrain.h"
#include "Platform/GLWindowContext.h"
#include "RenderGL/GLRenderer.h"
#include "RenderGL/effects/api/IEffectSystem.h"
#include "RenderGL/effects/api/glsl/GLSLProgram.h"
#include "RenderGL/effects/GLWaterEffect.h"

#include <GL/glew.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include <sys/resource.h>

namespace {

typedef std::chrono::steady_clock Clock;

const int kWidth = 1024;
const int kHeight = 768;
const float kStep = 1.0f / 30.0f;
// Moments of the flight that are measured, evenly spread over the loop.
const int kSamples = 24;

double Seconds(Clock::time_point from) { return std::chrono::duration<double>(Clock::now() - from).count(); }

// CPU seconds of the whole process, the rasteriser's threads included: less
// disturbed than wall time when other work shares the machine.
double CpuSeconds()
{
    rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           1e-6 * double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec);
}

// Programs that draw a pass's geometry with a constant colour: the mesh
// floor keeps the material's vertex stage (and its clip distance), the grass
// floor the grass's vertex stage and its alpha test, so only the shading
// differs from the real pass.
class Floors
{
public:
    bool Create(Vorm::GLRenderer& renderer)
    {
        std::string dir = (std::filesystem::temp_directory_path() / "vorm-floor-XXXXXX").string();
        if (!mkdtemp(&dir[0]))
            return false;
        dir += "/";
        std::error_code ec;
        const std::string data = renderer.GetEffectSystem()->GetEffectPath();
        for (const char* vert : {"MaterialEffect.vert", "GrassEffect.vert"})
            std::filesystem::copy_file(data + vert, dir + vert, ec);
        Write(dir + "Floor.frag", "#version 140\nout vec4 fragColor;\n"
                                  "void main() { fragColor = vec4(0.5, 0.5, 0.5, 1.0); }\n");
        Write(dir + "GrassFloor.frag", "#version 140\nuniform sampler2D Tex_Grass;\nin vec2 vTexCoord;\n"
                                       "out vec4 fragColor;\nvoid main() {\n"
                                       "    ivec2 size = textureSize(Tex_Grass, 0);\n"
                                       "    ivec2 texel = min(ivec2(vTexCoord * vec2(size)), size - 1);\n"
                                       "    if (texelFetch(Tex_Grass, texel, 0).a < 0.5) discard;\n"
                                       "    fragColor = vec4(0.5, 0.5, 0.5, 1.0);\n}\n");
        Write(dir + "BenchFloor.glslfx", "technique t { pass p { VertexShader = <MaterialEffect.vert>; "
                                         "FragmentShader = <Floor.frag>; } }\n");
        Write(dir + "BenchGrassFloor.glslfx", "technique t { pass p { VertexShader = <GrassEffect.vert>; "
                                              "FragmentShader = <GrassFloor.frag>; } }\n");
        renderer.GetEffectSystem()->SetEffectPath(dir);
        m_spMesh = renderer.CreateApiEffect("BenchFloor.glslfx");
        m_spGrass = renderer.CreateApiEffect("BenchGrassFloor.glslfx");
        renderer.GetEffectSystem()->SetEffectPath(data);
        std::filesystem::remove_all(dir, ec);
        if (!m_spMesh || !m_spGrass)
            return false;
        Program(m_spMesh)->GetUniform("Clipping_Plane", m_clip);
        const Vorm::GLSLProgram* grass = Program(m_spGrass);
        grass->GetUniform("camUp", m_camUp);
        grass->GetUniform("camRight", m_camRight);
        grass->GetUniform("camPosition", m_camPosition);
        grass->GetUniform("farDist", m_farDist);
        grass->GetUniform("Tex_Grass", m_texGrass);
        grass->GetUniform("Tex_GrassNoise", m_texNoise);
        return true;
    }

    // Each geometry with the mesh floor, under the renderer's clip plane.
    void DrawMeshes(const std::vector<Vorm::Geometry*>& list)
    {
        Vorm::IRenderer& renderer = *TSingleton<Vorm::IRenderer>::Instance();
        renderer.SetApiEffect(m_spMesh);
        m_clip.SetFloat4v(Vector4<float>(0.0f, 0.0f, 0.0f, 0.0f));
        for (Vorm::Geometry* geometry : list)
            renderer.DrawGeometry(geometry);
    }

    // The grass patch as the grass effect draws it, with the floor's shading.
    void DrawGrass(Vorm::Terrain& terrain)
    {
        Vorm::IRenderer& renderer = *TSingleton<Vorm::IRenderer>::Instance();
        renderer.SetApiEffect(m_spGrass);
        const Vorm::Camera* camera = renderer.GetCamera();
        const char* images[] = {"grassClumps/clumps.tga", "grassClumps/clumpNoise.tga"};
        const Vorm::GLSLUniformParam* samplers[] = {&m_texGrass, &m_texNoise};
        for (int unit = 0; unit < 2; ++unit) {
            samplers[unit]->SetTexture2D(unit);
            const boost::shared_ptr<Vorm::ITexture> texture = renderer.GetResourceMap().Find(images[unit]);
            if (texture)
                texture->Bind();
        }
        m_camUp.SetFloat3v(camera->GetUp());
        m_camRight.SetFloat3v(camera->GetRight());
        m_camPosition.SetFloat3v(camera->GetLocation());
        m_farDist.SetFloat(10000.0f);
        Vorm::GrassPatch* patch = &terrain.GetGrassPatch();
        patch->GetIndexBuffer()->Bind();
        renderer.DrawGeometry(patch);
    }

    // The water's reflection pass with the floor's shading: the mirrored
    // meshes under the clip plane, then the sky, into the reflection target.
    void DrawReflection(Verdmoor& demo, Vorm::GLWaterEffect& water)
    {
        Vorm::IRenderer& renderer = *TSingleton<Vorm::IRenderer>::Instance();
        const Vorm::Viewport viewport = renderer.GetViewport();
        const unsigned cullMode = renderer.GetCullMode();
        Vorm::IRenderTarget* target = water.GetReflectionTarget();
        renderer.SetViewport(0, 0, int(target->GetWidth()), int(target->GetHeight()));
        target->Bind();
        renderer.Clear(3);
        renderer.SetCullMode(0);
        renderer.SetClipPlane(water.GetClipPlane());
        renderer.SetApiEffect(m_spMesh);
        m_clip.SetFloat4v(water.GetClipPlane().ToVector4());
        Matrix44<float> world;
        Matrix44<float> mirrored;
        for (Vorm::TriangleMesh* mesh : water.GetReflectedMeshes()) {
            mesh->World().ToMatrix44(world);
            mirrored.Multiply(water.GetReflectionMatrix(), world);
            renderer.DrawGeometryWithMatrix(mesh, mirrored);
        }
        renderer.DisableClipPlane();
        demo.RenderSky();
        target->Unbind();
        target->GetColorTexture(0)->GenerateMipmaps();
        renderer.SetViewport(viewport.x, viewport.y, viewport.width, viewport.height);
        renderer.SetCullMode(cullMode);
    }

    void DrawWater(Vorm::GLWaterEffect& water)
    {
        std::vector<Vorm::Geometry*> list;
        for (const boost::shared_ptr<Vorm::Geometry>& geometry : water.GetWaterGeometries())
            list.push_back(geometry.get());
        DrawMeshes(list);
    }

private:
    static void Write(const std::string& path, const std::string& text)
    {
        std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
    }
    static const Vorm::GLSLProgram* Program(const boost::shared_ptr<Vorm::ApiEffect>& effect)
    {
        return static_cast<const Vorm::GLSLProgram*>(effect.get());
    }

    boost::shared_ptr<Vorm::ApiEffect> m_spMesh;
    boost::shared_ptr<Vorm::ApiEffect> m_spGrass;
    Vorm::GLSLUniformParam m_clip;
    Vorm::GLSLUniformParam m_camUp;
    Vorm::GLSLUniformParam m_camRight;
    Vorm::GLSLUniformParam m_camPosition;
    Vorm::GLSLUniformParam m_farDist;
    Vorm::GLSLUniformParam m_texGrass;
    Vorm::GLSLUniformParam m_texNoise;
};

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
        const double cpu = CpuSeconds();
        const Clock::time_point start = Clock::now();
        work();
        glFinish();
        times[pass].wall.push_back(Seconds(start) * 1000.0);
        times[pass].cpu.push_back((CpuSeconds() - cpu) * 1000.0);
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
    PassTimes passes;
    int passFrames = 0;
    {
        const Clock::time_point start = Clock::now();
        Verdmoor demo(scene);
        demo.PreInit();
        demo.Init();
        demo.Resize(kWidth, kHeight);
        glFinish();
        firstFrame = Seconds(start);
        Floors floors;
        if (!demo.IsSceneReady() || !floors.Create(renderer)) {
            state.SkipWithError("the scene or the floor programs did not set up");
            return;
        }
        // One key frame per update: the flight's length in updates.
        const int loop = int(demo.GetAnimatedMesh()->GetController()->GetKeyframeCount());
        Vorm::GLWaterEffect& water = *demo.GetWaterEffect();
        const bool world = demo.GetSceneKind() == 1;

        // The next frame pass by pass in Render's order, then the same moment
        // again with each shaded pass replaced by its floor (the passes before
        // it run as usual, so it meets the same depth).
        auto PassFrame = [&] {
            std::map<std::string, Samples>& real = passes.real;
            passes.Time(real, "update", [&] { demo.Update(kStep); });
            passes.Time(real, "shadow_maps", [&] {
                renderer.ApplyCamera();
                demo.RenderShadows();
            });
            passes.Time(real, "clear", [&] { renderer.Clear(3); });
            passes.Time(real, "scene_meshes", [&] { demo.RenderSceneMeshes(); });
            if (world) {
                passes.Time(real, "terrain_cells", [&] { demo.RenderTerrain(); });
                passes.Time(real, "grass", [&] { demo.RenderGrass(); });
            }
            passes.Time(real, "sky", [&] { demo.RenderSky(); });
            passes.Time(real, "water_reflection", [&] { water.RenderReflection(); });
            passes.Time(real, "water_refraction", [&] { water.RenderRefraction(); });
            passes.Time(real, "water_surface", [&] { water.RenderSurface(); });
            passes.Time(real, "models", [&] { demo.RenderModels(); });
            passes.Time(real, "swap", [&] { ctx.Swap(); });

            std::map<std::string, Samples>& floor = passes.floor;
            renderer.ApplyCamera();
            demo.RenderShadows();
            renderer.Clear(3);
            passes.Time(floor, "scene_meshes", [&] { floors.DrawMeshes(demo.GetVisibleMeshes()); });
            if (world) {
                passes.Time(floor, "terrain_cells", [&] { floors.DrawMeshes(demo.GetVisibleCells()); });
                passes.Time(floor, "grass", [&] { floors.DrawGrass(*demo.GetTerrain()); });
            }
            demo.RenderSky();
            passes.Time(floor, "water_reflection", [&] { floors.DrawReflection(demo, water); });
            passes.Time(floor, "water_surface", [&] { floors.DrawWater(water); });
        };
        // Once untimed: the first use of each program and target compiles the
        // rasteriser's shader variants.
        PassFrame();
        passes.real.clear();
        passes.floor.clear();

        for (auto _ : state) {
            // On to the next sampled moment: each update moves the flight
            // one key frame, so the moments are the same in every run.
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
        }
        std::printf("\n");
    }
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
