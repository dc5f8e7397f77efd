#include "RenderGL/effects/GLSkyboxEffect.h"

#include "Core/Memory/MemTracker.h"
#include "Core/Rendering/ApiEffect.h"
#include "Core/Rendering/IRenderer.h"
#include "Core/Rendering/ITexture.h"
#include "Core/Rendering/TextureDesc.h"
#include "Core/Rendering/VertexTypes.h"
#include "Core/Scenegraph/Camera.h"
#include "Core/Scenegraph/mesh/MeshBuilder.h"
#include "Core/Util/Assert.h"
#include "Core/Util/TSingleton.h"
#include "RenderGL/effects/EffectProgramCheck.h"
#include "RenderGL/effects/api/glsl/GLSLProgram.h"

#include <boost/weak_ptr.hpp>

#include <iostream>
#include <iterator>
#include <map>

namespace Vorm {

namespace {

// The cube maps sky boxes hold, by path: the water's mirrored sky shows the
// scene's sky, and sharing it reads (and reports) the six files once. Not
// an owner: once no sky box holds a cube map, the next one reads the files
// again, so a set-up after all sky boxes went sees the files as they are now.
std::map<std::string, boost::weak_ptr<ITexture>> s_cubemaps;

} // namespace

bool GLSkyboxEffect::CheckProgram(std::string* error)
{
    // The box of the mesh builder has positions only.
    return CheckEffectProgram(kEffectFile, {"Sampler_Cubemap"}, {VT_Pos::GetFormat()}, error);
}

GLSkyboxEffect::GLSkyboxEffect()
    : m_matrix(Matrix44<float>::IDENTITY), m_bReported(false)
{
    MeshBuilder().CreateBox(&m_box, 1.0f, 1.0f, 1.0f);
    m_spApiEffect = TSingleton<IRenderer>::Instance()->CreateApiEffect(kEffectFile);
    VORM_ASSERT(m_spApiEffect && "Can not load SkyboxEffect.glslfx");
    const GLSLProgram* program = dynamic_cast<const GLSLProgram*>(m_spApiEffect.get());
    if (program && !program->GetUniform("Sampler_Cubemap", m_samplerCubemap))
        std::cout << "Error get uniform Sampler_Cubemap" << std::endl;
}

GLSkyboxEffect::~GLSkyboxEffect()
{
}

void GLSkyboxEffect::SetCubemap(const std::string& name)
{
    IRenderer* renderer = TSingleton<IRenderer>::Instance();
    // Its own earlier cube map is no reason not to read the files again.
    m_spCubemap.reset();
    for (auto it = s_cubemaps.begin(); it != s_cubemaps.end();)
        it = it->second.expired() ? s_cubemaps.erase(it) : std::next(it);
    boost::weak_ptr<ITexture>& held = s_cubemaps[renderer->GetTexturePath() + name];
    m_spCubemap = held.lock();
    if (m_spCubemap)
        return;

    m_spCubemap = boost::shared_ptr<ITexture>(renderer->CreateTexture());
    TextureDesc desc;
    desc.m_type = 3;
    desc.m_internalFormat = 0;
    desc.m_bMipmap = 1;
    m_spCubemap->CreateFromFile(desc, name);
    TextureParams params;
    params.m_magFilter = 1;
    params.m_minFilter = 1;
    params.m_wrapS = 0;
    params.m_wrapT = 0;
    m_spCubemap->SetParameters(params);
    held = m_spCubemap;
}

void GLSkyboxEffect::SetMatrix(const Matrix44<float>& matrix)
{
    m_matrix = matrix;
}

void GLSkyboxEffect::Render()
{
    if (!m_spApiEffect) {
        if (!m_bReported)
            std::cout << "SkyboxEffect.glslfx did not load: the sky box is not drawn" << std::endl;
        m_bReported = true;
        return;
    }
    // No cube map yet: there is nothing to show.
    if (!m_spCubemap)
        return;

    IRenderer* renderer = TSingleton<IRenderer>::Instance();
    const unsigned cullMode = renderer->GetCullMode();
    renderer->SetCullMode(2);
    renderer->SetDepthFunc(1);
    renderer->SetApiEffect(m_spApiEffect);

    m_samplerCubemap.SetTextureCube(0);
    m_spCubemap->Bind();

    // Centred on the viewer: only the rotation part of the matrix counts.
    Matrix44<float> world = m_matrix;
    if (const Camera* camera = renderer->GetCamera()) {
        const Vector3<float>& eye = camera->GetLocation();
        world[3] = Vector4<float>(eye.x, eye.y, eye.z, world[3].w);
    }
    renderer->DrawGeometryWithMatrix(&m_box, world);

    m_spCubemap->Unbind();
    renderer->SetCullMode(cullMode);
    renderer->SetDepthFunc(0);
}

} // namespace Vorm
