#include "RenderGL/effects/GLWaterEffect.h"

#include "Core/Math/MatrixBuilders.h"
#include "Core/Memory/MemTracker.h"
#include "Core/Rendering/ApiEffect.h"
#include "Core/Rendering/IMaterialEffect.h"
#include "Core/Rendering/IRenderTarget.h"
#include "Core/Rendering/IRenderer.h"
#include "Core/Rendering/ITexture.h"
#include "Core/Rendering/TextureDesc.h"
#include "Core/Rendering/VertexTypes.h"
#include "Core/Rendering/Viewport.h"
#include "Core/Scenegraph/Geometry.h"
#include "Core/Scenegraph/Light.h"
#include "Core/Scenegraph/mesh/TriangleMesh.h"
#include "Core/Util/Assert.h"
#include "Core/Util/TSingleton.h"
#include "RenderGL/effects/EffectProgramCheck.h"
#include "RenderGL/effects/api/glsl/GLSLProgram.h"

#include <GL/glew.h>

#include <iostream>

namespace Vorm {

namespace {

IRenderTarget* MakeTarget(IRenderer* renderer, int width, int height)
{
    IRenderTarget* target = renderer->CreateRenderTarget();
    target->Create(static_cast<unsigned>(width), static_cast<unsigned>(height), 2);
    TextureDesc desc;
    desc.m_width = static_cast<std::uint32_t>(width);
    desc.m_height = static_cast<std::uint32_t>(height);
    desc.m_bMipmap = 1;
    desc.m_type = 1;
    desc.m_internalFormat = 1;
    desc.m_pixelFormat = 1;
    TextureParams params;
    params.m_magFilter = 1;
    params.m_minFilter = 1;
    params.m_wrapS = 0;
    params.m_wrapT = 0;
    target->AttachColorTextures(desc, params, 1);
    return target;
}

void RegenerateMipmaps(IRenderTarget* target)
{
    if (const boost::shared_ptr<ITexture> colour = target->GetColorTexture(0))
        colour->GenerateMipmaps();
}

} // namespace

bool GLWaterEffect::CheckPrograms(std::string* error)
{
    // Both programs draw the water surfaces, meshes of the mesh reader.
    const VertexFormat surfaces = VT_PosNorTexTan::GetFormat();
    return CheckEffectProgram(kAlphaMaskEffectFile, {}, {surfaces}, error) &&
           CheckEffectProgram(kEffectFile, {"Sampler_Reflection", "Sampler_Refraction", "Sampler_WaterRipples"},
                              {surfaces}, error) &&
           GLSkyboxEffect::CheckProgram(error);
}

GLWaterEffect::GLWaterEffect()
    : m_iWidth(0), m_iHeight(0), m_pReflectionTarget(nullptr), m_pRefractionTarget(nullptr),
      m_clipPlane(Vector3<float>(0.0f, 1.0f, 0.0f), 0.0f, false), m_reflection(Matrix44<float>::IDENTITY),
      m_fRippleTime(0.0f), m_bReported(false)
{
    IRenderer* renderer = TSingleton<IRenderer>::Instance();
    const Viewport& viewport = renderer->GetViewport();
    m_iWidth = viewport.width;
    m_iHeight = viewport.height;

    m_pReflectionTarget = MakeTarget(renderer, m_iWidth, m_iHeight);
    m_pRefractionTarget = MakeTarget(renderer, m_iWidth, m_iHeight);

    m_spApiEffectAlphaMask = renderer->CreateApiEffect(kAlphaMaskEffectFile);
    VORM_ASSERT(m_spApiEffectAlphaMask && "Can not load WaterAlphaMaskEffect.glslfx");
    m_spApiEffect = renderer->CreateApiEffect(kEffectFile);
    VORM_ASSERT(m_spApiEffect && "Can not load WaterEffect.glslfx");

    if (const GLSLProgram* program = dynamic_cast<const GLSLProgram*>(m_spApiEffect.get())) {
        bool isOk = program->GetUniform("Sampler_Reflection", m_samplerReflection);
        VORM_ASSERT(isOk && "Error get uniform Sampler_Reflection");
        isOk = program->GetUniform("Sampler_Refraction", m_samplerRefraction);
        VORM_ASSERT(isOk && "Error get uniform Sampler_Refraction");
        isOk = program->GetUniform("Sampler_WaterRipples", m_samplerRipples);
        VORM_ASSERT(isOk && "Error get uniform Sampler_WaterRipples");
        program->GetUniform("DeltaTime", m_deltaTime);
    }

    m_spRippleTexture = boost::shared_ptr<ITexture>(renderer->CreateTexture());
    TextureDesc ripples;
    ripples.m_type = 1;
    ripples.m_internalFormat = 0;
    ripples.m_bMipmap = 1;
    ripples.m_bFlip = 1;
    m_spRippleTexture->CreateFromFile(ripples, "WaterRipples.png");
    TextureParams rippleParams;
    rippleParams.m_magFilter = 1;
    rippleParams.m_minFilter = 5;
    rippleParams.m_wrapS = 3;
    rippleParams.m_wrapT = 3;
    m_spRippleTexture->SetParameters(rippleParams);

    m_skybox.SetCubemap("brightday1.png");
}

GLWaterEffect::~GLWaterEffect()
{
    VORM_DELETE m_pReflectionTarget;
    VORM_DELETE m_pRefractionTarget;
}

void GLWaterEffect::Resize(int width, int height)
{
    if (width <= 0 || height <= 0 || (width == m_iWidth && height == m_iHeight))
        return;
    IRenderer* renderer = TSingleton<IRenderer>::Instance();
    VORM_DELETE m_pReflectionTarget;
    VORM_DELETE m_pRefractionTarget;
    m_iWidth = width;
    m_iHeight = height;
    m_pReflectionTarget = MakeTarget(renderer, m_iWidth, m_iHeight);
    m_pRefractionTarget = MakeTarget(renderer, m_iWidth, m_iHeight);
}

void GLWaterEffect::SetWaterPlane(const Plane& plane)
{
    m_reflection = MakeReflectionMatrix(plane);
    const Vector3<float> normal = m_reflection.Rotate(plane.GetNormal());
    const Vector3<float> point = m_reflection.Rotate(plane.GetScaledNormal());
    m_clipPlane = Plane(normal, point, true);
}

void GLWaterEffect::SetReflectedMeshes(const std::vector<TriangleMesh*>& meshes)
{
    m_reflectedMeshes.clear();
    m_reflectedMeshes.insert(m_reflectedMeshes.end(), meshes.begin(), meshes.end());
}

void GLWaterEffect::SetWaterGeometries(const std::vector<boost::shared_ptr<Geometry>>& geometries)
{
    m_waterGeometries.clear();
    m_waterGeometries.insert(m_waterGeometries.end(), geometries.begin(), geometries.end());
}

void GLWaterEffect::Update(float dt)
{
    m_fRippleTime = static_cast<float>(m_fRippleTime + static_cast<double>(dt) * 0.006);
}

void GLWaterEffect::Render()
{
    if (!m_spApiEffect || !m_spApiEffectAlphaMask) {
        if (!m_bReported)
            std::cout << "Water programs did not load: the water is not drawn" << std::endl;
        m_bReported = true;
        return;
    }
    RenderReflection();
    RenderRefraction();
    RenderSurface();
}

void GLWaterEffect::RenderReflection()
{
    IRenderer* renderer = TSingleton<IRenderer>::Instance();
    const Viewport viewport = renderer->GetViewport();
    const unsigned cullMode = renderer->GetCullMode();

    // Mirror the lights for the pass; kept by list position, which is valid
    // whatever index a light carries.
    const std::vector<boost::shared_ptr<Light>>& lights = renderer->GetLights();
    struct SavedLight
    {
        Vector3<float> position;
        Vector3<float> direction;
        bool castShadows;
    };
    std::vector<SavedLight> saved(lights.size());
    for (size_t i = 0; i < lights.size(); ++i) {
        Light* light = lights[i].get();
        if (!light)
            continue;
        saved[i] = SavedLight{light->GetPosition(), light->GetDirection(), light->CastsShadows()};
        light->SetPosition(m_reflection.Rotate(saved[i].position));
        light->SetDirection(m_reflection.Rotate(saved[i].direction));
        light->SetCastShadows(false);
    }

    renderer->SetViewport(0, 0, m_iWidth, m_iHeight);
    m_pReflectionTarget->Bind();
    renderer->Clear(3);
    renderer->SetCullMode(0);
    renderer->SetClipPlane(m_clipPlane);

    Matrix44<float> world;
    Matrix44<float> mirrored;
    // Materials share one program: making it current again per mesh would
    // upload every light anew for nothing.
    boost::shared_ptr<ApiEffect> current;
    for (TriangleMesh* mesh : m_reflectedMeshes) {
        const boost::shared_ptr<IMaterialEffect> material = mesh ? mesh->GetMaterialEffect() : boost::shared_ptr<IMaterialEffect>();
        if (!material)
            continue;
        const boost::shared_ptr<ApiEffect> program = material->GetApiEffect();
        if (program != current) {
            renderer->SetApiEffect(program);
            current = program;
        }
        const int shading = material->GetShadingType();
        material->SetShadingType(0);
        material->Apply();
        mesh->World().ToMatrix44(world);
        mirrored.Multiply(m_reflection, world);
        renderer->DrawGeometryWithMatrix(mesh, mirrored);
        material->SetShadingType(shading);
    }
    renderer->DisableClipPlane();

    m_skybox.SetMatrix(m_reflection);
    m_skybox.Render();
    m_skybox.SetMatrix(Matrix44<float>::IDENTITY);

    m_pReflectionTarget->Unbind();
    RegenerateMipmaps(m_pReflectionTarget);

    renderer->SetViewport(viewport.x, viewport.y, viewport.width, viewport.height);
    renderer->SetCullMode(cullMode);

    for (size_t i = 0; i < lights.size(); ++i) {
        Light* light = lights[i].get();
        if (!light)
            continue;
        light->SetPosition(saved[i].position);
        light->SetDirection(saved[i].direction);
        light->SetCastShadows(saved[i].castShadows);
    }
}

void GLWaterEffect::RenderRefraction()
{
    IRenderer* renderer = TSingleton<IRenderer>::Instance();

    glReadBuffer(GL_BACK);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    if (const boost::shared_ptr<ITexture> colour = m_pRefractionTarget->GetColorTexture(0))
        colour->CopyFromFramebuffer();

    // Alpha only: the copied colour stays, alpha becomes 1, then the mask.
    glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_TRUE);
    renderer->SetClearColor(Vector4<float>(0.0f, 0.0f, 0.0f, 1.0f));
    m_pRefractionTarget->Bind();
    renderer->Clear(3);

    glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_TRUE);
    renderer->SetApiEffect(m_spApiEffectAlphaMask);
    for (const boost::shared_ptr<Geometry>& water : m_waterGeometries) {
        if (water)
            renderer->DrawGeometry(water.get());
    }

    m_pRefractionTarget->Unbind();
    RegenerateMipmaps(m_pRefractionTarget);

    renderer->SetClearColor(Vector4<float>(0.0f, 0.0f, 0.0f, 0.0f));
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
}

void GLWaterEffect::RenderSurface()
{
    IRenderer* renderer = TSingleton<IRenderer>::Instance();
    renderer->SetApiEffect(m_spApiEffect);

    m_samplerRefraction.SetTexture2D(0);
    if (const boost::shared_ptr<ITexture> refraction = m_pRefractionTarget->GetColorTexture(0))
        refraction->Bind();
    m_samplerReflection.SetTexture2D(1);
    if (const boost::shared_ptr<ITexture> reflection = m_pReflectionTarget->GetColorTexture(0))
        reflection->Bind();
    m_samplerRipples.SetTexture2D(2);
    m_spRippleTexture->Bind();
    m_deltaTime.SetFloat(m_fRippleTime);

    for (const boost::shared_ptr<Geometry>& water : m_waterGeometries) {
        if (water)
            renderer->DrawGeometry(water.get());
    }
}

} // namespace Vorm
