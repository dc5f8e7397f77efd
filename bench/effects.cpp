// Time per frame of each effect's Render at 1024 x 768 on the GL renderer
// (shadow maps 2 x 2048^2, the water's two targets with their mipmaps), and
// the part of it that the per-frame mipmap regeneration takes. Every frame
// ends with glFinish, so the times are what the rasteriser spends. Run under
// Xvfb with MESA_GL_VERSION_OVERRIDE=3.1FC MESA_GLSL_VERSION_OVERRIDE=140.
#include "Platform/GLWindowContext.h"

#include <GL/glew.h>

#include "RepoFiles.h"
#include "TempFolder.h"
#include "TestImages.h"
#include "TestMeshes.h"

#include "Core/Rendering/IRenderTarget.h"
#include "Core/Rendering/ITexture.h"
#include "Core/Scenegraph/Camera.h"
#include "Core/Scenegraph/Light.h"
#include "Core/Scenegraph/mesh/TriangleMesh.h"
#include "RenderGL/GLRenderer.h"
#include "RenderGL/effects/GLShadowMappingEffect.h"
#include "RenderGL/effects/GLSkyboxEffect.h"
#include "RenderGL/effects/GLWaterEffect.h"
#include "RenderGL/effects/api/IEffectSystem.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

namespace {

const int kWidth = 1024;
const int kHeight = 768;

// One window, renderer and scene for all benchmarks: a box on a ground
// plane with water in front, the light with two 2048^2 splits.
struct Scene
{
    std::unique_ptr<Win32::GLWindowContext> ctx;
    TempFolder folder;
    std::unique_ptr<Vorm::GLRenderer> renderer;
    boost::shared_ptr<Vorm::Light> light;
    Vorm::TriangleMesh ground, box;
    std::unique_ptr<Vorm::GLShadowMappingEffect> shadows;
    std::unique_ptr<Vorm::GLSkyboxEffect> sky;
    std::unique_ptr<Vorm::GLWaterEffect> water;
    std::string error;

    Scene()
    {
        ctx.reset(new Win32::GLWindowContext(kWidth, kHeight));
        if (!ctx->Ok()) {
            error = ctx->Error();
            return;
        }
        if (!folder.Ok()) {
            error = "no temporary folder";
            return;
        }
        CopyShippedEffects(folder);
        const std::uint8_t top[6][3] = {{90, 140, 230}, {60, 110, 220}, {90, 140, 230}, {90, 140, 230}, {96, 104, 88}, {90, 140, 230}};
        const std::uint8_t bottom[6][3] = {{96, 104, 88}, {60, 110, 220}, {96, 104, 88}, {96, 104, 88}, {96, 104, 88}, {96, 104, 88}};
        TestImages::WriteCubeFaces(folder.Dir(), "brightday1.png", 256, top, bottom);
        std::vector<std::uint8_t> ripples;
        for (int i = 0; i < 256 * 256; ++i)
            ripples.insert(ripples.end(), {std::uint8_t(128 + (i * 37) % 60 - 30), std::uint8_t(128 + (i * 53) % 60 - 30), 240});
        TestImages::WritePng(folder.Path("WaterRipples.png"), 256, 256, ripples);

        renderer.reset(new Vorm::GLRenderer());
        renderer->GetEffectsPath() = folder.Dir();
        renderer->GetEffectSystem()->SetEffectPath(folder.Dir());
        renderer->GetTexturePath() = folder.Dir();
        renderer->SetViewport(0, 0, kWidth, kHeight);
        Vorm::Camera* camera = renderer->GetCamera();
        camera->LookAt(Vector3<float>(0, 3, 16), Vector3<float>(0, 1, -2), Vector3<float>(0, 1, 0));
        camera->SetPerspective(45.0f, float(kWidth) / kHeight, 1.0f, 200.0f);
        renderer->ApplyCamera();
        light = renderer->GetLights()[0];
        light->SetDirection(Vector3<float>(0.8f, -1.0f, -0.5f).Normalized());
        light->CreateShadowMaps(true, 2, 2048, 2048);

        Vorm::TriangleMesh* quad = new Vorm::TriangleMesh();
        TestMeshes::BoxOnGroundByWater(&ground, &box, quad);

        shadows.reset(new Vorm::GLShadowMappingEffect());
        sky.reset(new Vorm::GLSkyboxEffect());
        sky->SetCubemap("brightday1.png");
        water.reset(new Vorm::GLWaterEffect());
        water->SetWaterPlane(Vorm::Plane(Vector3<float>(0, 1, 0), 0.0f, true));
        water->SetWaterGeometries({boost::shared_ptr<Vorm::Geometry>(quad)});
        water->SetReflectedMeshes({&ground, &box});
        if (!shadows->GetApiEffect() || !sky->GetApiEffect())
            error = "effects did not load";
    }

    ~Scene()
    {
        water.reset();
        sky.reset();
        shadows.reset();
        renderer.reset();
    }

    // The lit scene as the demo draws it before the sky and the water.
    void DrawScene() { TestMeshes::DrawLit(*renderer, {&ground, &box}, Vector4<float>(0, 0, 0, 1)); }
};

Scene& TheScene()
{
    static Scene scene;
    return scene;
}

template <class Body>
void Frames(benchmark::State& state, Body body)
{
    Scene& scene = TheScene();
    if (!scene.error.empty()) {
        state.SkipWithError(scene.error.c_str());
        return;
    }
    body(scene); // warm-up: shaders and textures settle
    glFinish();
    for (auto _ : state) {
        body(scene);
        glFinish();
    }
}

void ShadowMappingRender(benchmark::State& state)
{
    Frames(state, [](Scene& s) { s.shadows->Render(s.light, {&s.box, &s.ground}); });
}

void ShadowDepthMipmaps(benchmark::State& state)
{
    Frames(state, [](Scene& s) {
        for (unsigned i = 0; i < s.light->GetSplitCount(); ++i)
            s.light->GetShadowMap(i)->GetDepthTexture()->GenerateMipmaps();
    });
}

void SkyboxRender(benchmark::State& state)
{
    Frames(state, [](Scene& s) {
        s.renderer->Clear(3);
        s.sky->Render();
    });
}

void WaterRender(benchmark::State& state)
{
    Scene& scene = TheScene();
    if (scene.error.empty()) {
        scene.DrawScene();
        scene.sky->Render();
    }
    Frames(state, [](Scene& s) {
        s.water->Update(0.016f);
        s.water->Render();
    });
}

void WaterTargetMipmaps(benchmark::State& state)
{
    Frames(state, [](Scene& s) {
        s.water->GetReflectionTarget()->GetColorTexture(0)->GenerateMipmaps();
        s.water->GetRefractionTarget()->GetColorTexture(0)->GenerateMipmaps();
    });
}

void SceneOnly(benchmark::State& state)
{
    Frames(state, [](Scene& s) { s.DrawScene(); });
}

} // namespace

BENCHMARK(ShadowMappingRender)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(ShadowDepthMipmaps)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(SkyboxRender)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(WaterRender)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(WaterTargetMipmaps)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(SceneOnly)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
