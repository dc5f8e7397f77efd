// The world scene's terrain: the grass pass drawn from demo-like viewpoints
// (20-degree field of view, 20 to 60 units above the ground, 1024 x 768), and
// Terrain::Create for the demo's terrain with its maps. Run under Xvfb with
// MESA_GL_VERSION_OVERRIDE=3.1FC MESA_GLSL_VERSION_OVERRIDE=140 (llvmpipe).
// "ms_per_frame" is wall time per grass pass, the GPU work finished.
#include "Platform/GLWindowContext.h"

#include <GL/glew.h>

#include "DemoTerrain.h"

#include "Core/Rendering/IMaterialEffect.h"
#include "Core/Scenegraph/Culler.h"
#include "Core/Terrain/base/Terrain.h"
#include "RenderGL/GLRenderer.h"
#include "RenderGL/effects/GLGrassEffect.h"
#include "RenderGL/effects/api/IEffectSystem.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <memory>
#include <string>

namespace {

const int kWidth = 1024;
const int kHeight = 768;

std::string DataFolder(const std::string& sub)
{
    return VORM_SOURCE_DIR "/data/" + sub + "/";
}

struct Viewpoint
{
    float x, z, heightAboveGround, headingDegrees;
};

// Looking 150 units ahead at the ground from several places and heights.
const Viewpoint kViews[] = {
    {-20.0f, 200.0f, 20.0f, 200.0f}, {40.0f, 170.0f, 40.0f, 160.0f}, {-150.0f, 40.0f, 60.0f, 80.0f},
    {0.0f, -40.0f, 40.0f, 0.0f},     {150.0f, -60.0f, 30.0f, 250.0f}, {-60.0f, -220.0f, 50.0f, 20.0f},
};

void Look(Vorm::Camera* camera, Vorm::Terrain& terrain, const Viewpoint& v)
{
    const float a = v.headingDegrees * 3.14159265f / 180.0f;
    const float tx = v.x + 150.0f * std::sin(a), tz = v.z - 150.0f * std::cos(a);
    camera->LookAt(Vector3<float>(v.x, DemoGroundAt(terrain, v.x, v.z) + v.heightAboveGround, v.z),
                   Vector3<float>(tx, DemoGroundAt(terrain, tx, tz), tz), Vector3<float>(0.0f, 1.0f, 0.0f));
}

class Scene
{
public:
    explicit Scene(bool withTerrain) : ctx(kWidth, kHeight)
    {
        if (!ctx.Ok())
            return;
        renderer.reset(new Vorm::GLRenderer());
        renderer->GetEffectsPath() = DataFolder("effects");
        renderer->GetEffectSystem()->SetEffectPath(DataFolder("effects"));
        renderer->GetTexturePath() = DataFolder("texture");
        renderer->SetViewport(0, 0, kWidth, kHeight);
        renderer->GetCamera()->SetPerspective(20.0f, float(kWidth) / kHeight, 20.0f, 800.0f);
        if (withTerrain) {
            terrain.reset(new Vorm::Terrain());
            terrain->Create(DemoTerrainDesc());
            terrain->Update(0.0f, true);
            grass.reset(new Vorm::GLGrassEffect());
        }
    }
    ~Scene()
    {
        grass.reset();
        terrain.reset();
        renderer.reset();
    }

    void DrawTerrain()
    {
        renderer->Clear(3);
        Vorm::Culler culler;
        culler.CollectVisible(*terrain, renderer->GetCamera());
        const boost::shared_ptr<Vorm::IMaterialEffect> material = terrain->GetMaterialEffect();
        renderer->SetApiEffect(material->GetApiEffect());
        renderer->ApplyCamera();
        material->Apply();
        for (Vorm::Geometry* cell : culler.GetVisibleList())
            renderer->DrawGeometry(cell);
    }
    void DrawGrass()
    {
        Vorm::Camera* camera = renderer->GetCamera();
        grass->SetCameraVectors(camera->GetLocation(), camera->GetRight(), camera->GetUp());
        grass->Render(&terrain->GetGrassPatch());
    }

    Win32::GLWindowContext ctx;
    std::unique_ptr<Vorm::GLRenderer> renderer;
    std::unique_ptr<Vorm::Terrain> terrain;
    std::unique_ptr<Vorm::GLGrassEffect> grass;
};

// The grass pass alone, over the terrain drawn first (untimed) so that the
// depth test rejects what the ground hides, as in the demo.
void GrassPass(benchmark::State& state)
{
    Scene scene(true);
    if (!scene.renderer) {
        state.SkipWithError(scene.ctx.Error().c_str());
        return;
    }
    const Viewpoint& view = kViews[state.range(0)];
    Look(scene.renderer->GetCamera(), *scene.terrain, view);
    double seconds = 0.0;
    for (auto _ : state) {
        scene.DrawTerrain();
        glFinish();
        const auto start = std::chrono::steady_clock::now();
        scene.DrawGrass();
        glFinish();
        const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        seconds += s;
        state.SetIterationTime(s);
    }
    state.counters["ms_per_frame"] = benchmark::Counter(1000.0 * seconds / double(state.iterations()));
    state.counters["clumps"] = double(scene.terrain->GetGrassPatch().GetIndexBuffer()->GetCount() / 6);
    if (glGetError() != GL_NO_ERROR)
        state.SkipWithError("GL error during the frames");
}

void CreateDemoTerrain(benchmark::State& state)
{
    Scene scene(false);
    if (!scene.renderer) {
        state.SkipWithError(scene.ctx.Error().c_str());
        return;
    }
    for (auto _ : state) {
        Vorm::Terrain terrain;
        terrain.Create(DemoTerrainDesc());
        glFinish();
    }
}

BENCHMARK(GrassPass)->DenseRange(0, 5)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(CreateDemoTerrain)->Unit(benchmark::kMillisecond)->MinTime(2.0);

} // namespace

BENCHMARK_MAIN();
