// What the material shader costs by the case it meets, at 1024 x 768: a
// textured ground that fills the view, lit as the demo lights its scenes (one
// light with two shadow splits, no normal map), then with each thing the
// demo does not use added alone: the light listed twice, a second light, a
// third split, a normal map. The shader should pay for what a case has and
// for nothing that it lacks; "x_demo" is a case's time over the demo's case.
// Run under Xvfb with MESA_GL_VERSION_OVERRIDE=3.1FC
// MESA_GLSL_VERSION_OVERRIDE=140; the sum of the rasteriser's threads' time
// is in "cpu" (milliseconds per frame).
#include "Platform/GLWindowContext.h"

#include <GL/glew.h>

#include "ProcessCpuTime.h"
#include "RepoFiles.h"
#include "TempFolder.h"
#include "TestMeshes.h"

#include "Core/Rendering/TextureDesc.h"
#include "Core/Scenegraph/Camera.h"
#include "Core/Scenegraph/Light.h"
#include "Core/Scenegraph/mesh/TriangleMesh.h"
#include "RenderGL/GLRenderer.h"
#include "RenderGL/effects/GLMaterialEffect.h"
#include "RenderGL/effects/api/IEffectSystem.h"
#include "RenderGL/texture/GLTexture.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <vector>

namespace {

const int kWidth = 1024;
const int kHeight = 768;

enum Case
{
    eDemo,
    eListedTwice,
    eTwoLights,
    eThreeSplits,
    eNormalMap
};

// A 256 x 256 RGBA texture with its mipmaps, filtered as the demo's are.
boost::shared_ptr<Vorm::ITexture> Texture(unsigned char blue)
{
    std::vector<unsigned char> pixels;
    for (int i = 0; i < 256 * 256; ++i)
        pixels.insert(pixels.end(), {static_cast<unsigned char>(i * 7), static_cast<unsigned char>(i >> 8), blue, 255});
    boost::shared_ptr<Vorm::ITexture> texture(new Vorm::GLTexture());
    Vorm::TextureDesc desc;
    desc.m_width = desc.m_height = 256;
    desc.m_bMipmap = 1;
    desc.m_type = 1;
    desc.m_internalFormat = desc.m_pixelFormat = 1;
    texture->CreateFromData(desc, pixels.data());
    Vorm::TextureParams params;
    params.m_magFilter = 1;
    params.m_minFilter = 5;
    params.m_wrapS = params.m_wrapT = 1;
    texture->SetParameters(params);
    return texture;
}

double g_demoMilliseconds = 0.0;

void MaterialCase(benchmark::State& state)
{
    const Case which = static_cast<Case>(state.range(0));
    Win32::GLWindowContext ctx(kWidth, kHeight);
    TempFolder folder;
    if (!ctx.Ok() || !folder.Ok()) {
        state.SkipWithError("no GL window or temporary folder");
        return;
    }
    CopyShippedEffects(folder);
    {
        Vorm::GLRenderer renderer;
        renderer.GetEffectsPath() = folder.Dir();
        renderer.GetEffectSystem()->SetEffectPath(folder.Dir());
        renderer.SetViewport(0, 0, kWidth, kHeight);
        renderer.SetCullMode(1);
        renderer.EnableDepthTest(true);
        Vorm::Camera* camera = renderer.GetCamera();
        camera->LookAt(Vector3<float>(0, 30, 60), Vector3<float>(0, 0, -40), Vector3<float>(0, 1, 0));
        camera->SetPerspective(45.0f, float(kWidth) / kHeight, 1.0f, 400.0f);
        renderer.ApplyCamera();

        const boost::shared_ptr<Vorm::Light> light = renderer.GetLights()[0];
        light->SetDirection(Vector3<float>(0.4f, -1.0f, 0.3f).Normalized());
        light->SetDiffuse(Vector4<float>(0.6f, 0.6f, 0.6f, 1.0f));
        light->CreateShadowMaps(true, which == eThreeSplits ? 3 : 2, 2048, 2048);
        light->UpdateShadows();

        Vorm::GLMaterialEffect material;
        const boost::shared_ptr<Vorm::ITexture> texture = Texture(40);
        material.SetAmbientTexture(texture);
        material.SetDiffuseTexture(texture);
        material.SetSpecularColor(Vector4<float>(0.2f, 0.2f, 0.2f, 1.0f));
        material.SetShadowReceiver(true);
        material.AddLightIndex(0);
        if (which == eListedTwice)
            material.AddLightIndex(0);
        if (which == eTwoLights) {
            renderer.CreateLight()->SetDirection(Vector3<float>(-0.5f, -1.0f, 0.0f).Normalized());
            material.AddLightIndex(1);
        }
        if (which == eNormalMap)
            material.SetNormalMap(Texture(255));

        Vorm::TriangleMesh ground;
        TestMeshes::LitGround(&ground, 800.0f, 800.0f);
        auto frame = [&] {
            renderer.Clear(3);
            renderer.SetApiEffect(material.GetApiEffect());
            material.Apply();
            renderer.DrawGeometry(&ground);
            glFinish();
        };
        frame(); // the rasteriser compiles its shader variants on first use
        double cpu = 0.0;
        double wall = 0.0;
        for (auto _ : state) {
            const double before = ProcessCpuMilliseconds();
            const std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
            frame();
            const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            state.SetIterationTime(seconds);
            wall += seconds * 1e3;
            cpu += ProcessCpuMilliseconds() - before;
        }
        const double mean = wall / double(state.iterations());
        if (which == eDemo)
            g_demoMilliseconds = mean;
        if (g_demoMilliseconds > 0.0)
            state.counters["x_demo"] = mean / g_demoMilliseconds;
        state.counters["cpu"] = cpu / double(state.iterations());
        const char* names[] = {"demo: one light, two splits", "the light listed twice", "a second light",
                               "three splits", "a normal map"};
        state.SetLabel(names[which]);
        if (glGetError() != GL_NO_ERROR)
            state.SkipWithError("GL error during the frames");
    }
}

BENCHMARK(MaterialCase)->Unit(benchmark::kMillisecond)->UseManualTime()->MinTime(2.0)->DenseRange(0, 4);

} // namespace

BENCHMARK_MAIN();
