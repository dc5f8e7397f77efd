#include "PassFloors.h"

#include "TempFolder.h"

#include "Core/Rendering/IIndexBuffer.h"
#include "Core/Rendering/IRenderTarget.h"
#include "Core/Rendering/ITexture.h"
#include "Core/Rendering/ResourceMap.h"
#include "Core/Scenegraph/Camera.h"
#include "Core/Scenegraph/mesh/TriangleMesh.h"
#include "Core/Terrain/base/GrassPatch.h"
#include "Core/Terrain/base/Terrain.h"
#include "RenderGL/GLRenderer.h"
#include "RenderGL/effects/GLWaterEffect.h"
#include "RenderGL/effects/api/IEffectSystem.h"
#include "RenderGL/effects/api/glsl/GLSLProgram.h"

#include <filesystem>

namespace {

const Vorm::GLSLProgram* Program(const boost::shared_ptr<Vorm::ApiEffect>& effect)
{
    return static_cast<const Vorm::GLSLProgram*>(effect.get());
}

Vorm::IRenderer& Renderer() { return *TSingleton<Vorm::IRenderer>::Instance(); }

} // namespace

bool PassFloors::Create(Vorm::GLRenderer& renderer)
{
    TempFolder folder;
    if (!folder.Ok())
        return false;
    const std::string effects = renderer.GetEffectSystem()->GetEffectPath();
    std::error_code ec;
    for (const char* vert : {"MaterialEffect.vert", "GrassEffect.vert"})
        std::filesystem::copy_file(effects + vert, folder.Path(vert), ec);
    folder.Write("Floor.frag", "#version 140\nout vec4 fragColor;\n"
                               "void main() { fragColor = vec4(0.5, 0.5, 0.5, 1.0); }\n");
    folder.Write("GrassFloor.frag", "#version 140\nuniform sampler2D Tex_Grass;\nin vec2 vTexCoord;\n"
                                    "out vec4 fragColor;\nvoid main() {\n"
                                    "    ivec2 size = textureSize(Tex_Grass, 0);\n"
                                    "    ivec2 texel = min(ivec2(vTexCoord * vec2(size)), size - 1);\n"
                                    "    if (texelFetch(Tex_Grass, texel, 0).a < 0.5) discard;\n"
                                    "    fragColor = vec4(0.5, 0.5, 0.5, 1.0);\n}\n");
    folder.Write("PassFloor.glslfx", "technique t { pass p { VertexShader = <MaterialEffect.vert>; "
                                     "FragmentShader = <Floor.frag>; } }\n");
    folder.Write("GrassPassFloor.glslfx", "technique t { pass p { VertexShader = <GrassEffect.vert>; "
                                          "FragmentShader = <GrassFloor.frag>; } }\n");
    // The programs are cached by these names, so the folder may go at once.
    renderer.GetEffectSystem()->SetEffectPath(folder.Dir());
    m_spMesh = renderer.CreateApiEffect("PassFloor.glslfx");
    m_spGrass = renderer.CreateApiEffect("GrassPassFloor.glslfx");
    renderer.GetEffectSystem()->SetEffectPath(effects);
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

void PassFloors::DrawMeshes(const std::vector<Vorm::Geometry*>& list)
{
    Vorm::IRenderer& renderer = Renderer();
    renderer.SetApiEffect(m_spMesh);
    m_clip.SetFloat4v(renderer.GetClipPlane().ToVector4());
    for (Vorm::Geometry* geometry : list)
        renderer.DrawGeometry(geometry);
}

void PassFloors::DrawGrass(Vorm::Terrain& terrain)
{
    Vorm::IRenderer& renderer = Renderer();
    renderer.SetApiEffect(m_spGrass);
    // The grass effect's own textures, from the renderer's cache.
    const char* images[] = {"grassClumps/clumps.tga", "grassClumps/clumpNoise.tga"};
    const Vorm::GLSLUniformParam* samplers[] = {&m_texGrass, &m_texNoise};
    for (int unit = 0; unit < 2; ++unit) {
        samplers[unit]->SetTexture2D(unit);
        const boost::shared_ptr<Vorm::ITexture> texture = renderer.GetResourceMap().Find(images[unit]);
        if (texture)
            texture->Bind();
    }
    const Vorm::Camera* camera = renderer.GetCamera();
    m_camUp.SetFloat3v(camera->GetUp());
    m_camRight.SetFloat3v(camera->GetRight());
    m_camPosition.SetFloat3v(camera->GetLocation());
    m_farDist.SetFloat(10000.0f);
    Vorm::GrassPatch* patch = &terrain.GetGrassPatch();
    patch->GetIndexBuffer()->Bind();
    renderer.DrawGeometry(patch);
}

void PassFloors::DrawReflection(Vorm::GLWaterEffect& water, const std::function<void()>& drawSky)
{
    Vorm::IRenderer& renderer = Renderer();
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
    drawSky();
    target->Unbind();
    target->GetColorTexture(0)->GenerateMipmaps();
    renderer.SetViewport(viewport.x, viewport.y, viewport.width, viewport.height);
    renderer.SetCullMode(cullMode);
}

void PassFloors::DrawWater(Vorm::GLWaterEffect& water)
{
    std::vector<Vorm::Geometry*> list;
    for (const boost::shared_ptr<Vorm::Geometry>& geometry : water.GetWaterGeometries())
        list.push_back(geometry.get());
    DrawMeshes(list);
}
