// CPU cost of IRenderer::DrawGeometry on the GL renderer: 10,000 small
// indexed meshes per frame through one GLSL program (bind vertex buffer, bind
// inputs by name, upload the automatic matrices, draw). Run under Xvfb with
// MESA_GL_VERSION_OVERRIDE=3.1FC MESA_GLSL_VERSION_OVERRIDE=140 (llvmpipe).
// "per_draw" is CPU time of the calling thread per DrawGeometry call.
#include "Platform/GLWindowContext.h"

#include <GL/glew.h>

#include "Core/Scenegraph/mesh/MeshBuilder.h"
#include "Core/Scenegraph/mesh/TriangleMesh.h"
#include "RenderGL/GLRenderer.h"
#include "RenderGL/effects/api/IEffectSystem.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

const int kMeshes = 10000;

const char* kVertexShader =
    "#version 140\n"
    "in vec3 pos;\n"
    "uniform mat4 Matrix_MVP;\n"
    "void main() { gl_Position = Matrix_MVP * vec4(pos, 1.0); }\n";

const char* kFragmentShader =
    "#version 140\n"
    "out vec4 fragColor;\n"
    "void main() { fragColor = vec4(1.0, 0.5, 0.0, 1.0); }\n";

void WriteFile(const std::string& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

void DrawGeometryFrame(benchmark::State& state)
{
    Win32::GLWindowContext ctx(64, 64);
    if (!ctx.Ok()) {
        state.SkipWithError(ctx.Error().c_str());
        return;
    }

    std::string dir = (std::filesystem::temp_directory_path() / "vorm-gldraw-XXXXXX").string();
    if (!mkdtemp(&dir[0])) {
        state.SkipWithError("no temporary folder");
        return;
    }
    dir += "/";
    WriteFile(dir + "flat.vert", kVertexShader);
    WriteFile(dir + "flat.frag", kFragmentShader);
    WriteFile(dir + "Flat.glslfx",
              "technique main { pass p0 { VertexShader = <flat.vert>; FragmentShader = <flat.frag>; } }\n");

    {
        Vorm::GLRenderer renderer;
        renderer.GetEffectSystem()->SetEffectPath(dir);
        renderer.SetViewport(0, 0, ctx.Width(), ctx.Height());
        boost::shared_ptr<Vorm::ApiEffect> effect = renderer.CreateApiEffect("Flat.glslfx");
        if (!effect) {
            state.SkipWithError("effect did not load");
            return;
        }

        // A 100 x 100 grid of tiny boxes over the view.
        std::vector<std::unique_ptr<Vorm::TriangleMesh>> meshes;
        meshes.reserve(kMeshes);
        Vorm::MeshBuilder builder;
        for (int i = 0; i < kMeshes; ++i) {
            std::unique_ptr<Vorm::TriangleMesh> mesh(new Vorm::TriangleMesh());
            builder.CreateBox(mesh.get(), 0.01f, 0.01f, 0.01f);
            mesh->World().SetTranslation(-0.95f + 0.019f * float(i % 100), -0.95f + 0.019f * float(i / 100), 0.0f);
            meshes.push_back(std::move(mesh));
        }

        for (auto _ : state) {
            renderer.Clear(3);
            renderer.SetApiEffect(effect);
            for (int i = 0; i < kMeshes; ++i)
                renderer.DrawGeometry(meshes[i].get());
            glFinish();
        }
        state.counters["per_draw"] = benchmark::Counter(double(kMeshes),
                                                        benchmark::Counter::kIsIterationInvariantRate |
                                                            benchmark::Counter::kInvert);
        if (glGetError() != GL_NO_ERROR)
            state.SkipWithError("GL error during the frames");
        meshes.clear();
    }
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
}

BENCHMARK(DrawGeometryFrame)->Unit(benchmark::kMillisecond)->MinTime(3.0);

} // namespace

BENCHMARK_MAIN();
