// The grass effect: one program, the clump atlas on unit 0, the noise image on
// unit 1, the camera vectors as uniforms and one draw per patch.
#include "RenderGL/effects/GLGrassEffect.h"

#include "Core/Rendering/ApiEffect.h"
#include "Core/Rendering/IIndexBuffer.h"
#include "Core/Rendering/IRenderer.h"
#include "Core/Rendering/ITexture.h"
#include "Core/Rendering/TextureDesc.h"
#include "Core/Terrain/base/GrassPatch.h"
#include "Core/Terrain/base/GrassVertexData.h"
#include "Core/Util/Assert.h"
#include "Core/Util/TSingleton.h"
#include "RenderGL/effects/EffectProgramCheck.h"
#include "RenderGL/effects/api/glsl/GLSLProgram.h"

namespace Vorm {

namespace {

const char* const kClumpImage = "grassClumps/clumps.tga";
const char* const kNoiseImage = "grassClumps/clumpNoise.tga";

// A mipmapped 2D image, origin lower left.
TextureDesc ImageDesc(unsigned internalFormat)
{
    TextureDesc desc;
    desc.m_type = 1;
    desc.m_bMipmap = 1;
    desc.m_bFlip = 0;
    desc.m_internalFormat = internalFormat;
    return desc;
}

} // namespace

bool GLGrassEffect::CheckProgram(std::string* error)
{
    return CheckEffectProgram(kEffectFile, {"camRight"}, {GrassVertexData::GetFormat()}, error);
}

GLGrassEffect::GLGrassEffect()
    : m_camUp(0.0f, 1.0f, 0.0f), m_camRight(1.0f, 0.0f, 0.0f), m_camPosition(0.0f, 0.0f, 0.0f)
{
    IRenderer* renderer = TSingleton<IRenderer>::Instance();
    m_spApiEffect = renderer->CreateApiEffect(kEffectFile);
    VORM_ASSERT(m_spApiEffect && "Can not load GrassEffect.glslfx");

    if (const GLSLProgram* program = dynamic_cast<const GLSLProgram*>(m_spApiEffect.get())) {
        const bool isOk = program->GetUniform("camRight", m_camRightParam);
        VORM_ASSERT(isOk && "Error get uniform camRight");
        // Missing ones keep empty handles, whose uploads GL ignores.
        program->GetUniform("camUp", m_camUpParam);
        program->GetUniform("camPosition", m_camPositionParam);
        program->GetUniform("Tex_Grass", m_texGrassParam);
        program->GetUniform("Tex_GrassNoise", m_texGrassNoiseParam);
        program->GetUniform("farDist", m_farDistParam);
    }

    m_spClumpTexture = renderer->SharedTexture(kClumpImage, ImageDesc(1));
    m_spNoiseTexture = renderer->SharedTexture(kNoiseImage, ImageDesc(0));
}

GLGrassEffect::~GLGrassEffect()
{
}

void GLGrassEffect::SetCameraVectors(const Vector3<float>& position, const Vector3<float>& right,
                                     const Vector3<float>& up)
{
    m_camPosition = position;
    m_camRight = right;
    m_camUp = up;
}

void GLGrassEffect::Render(GrassPatch* patch)
{
    std::vector<GrassPatch*> patches(1, patch);
    Draw(patches);
}

void GLGrassEffect::Draw(const std::vector<GrassPatch*>& patches)
{
    // Without its program the effect draws nothing rather than with whatever is current.
    if (!m_spApiEffect)
        return;
    IRenderer* renderer = TSingleton<IRenderer>::Instance();
    renderer->SetApiEffect(m_spApiEffect);

    m_texGrassParam.SetTexture2D(0);
    if (m_spClumpTexture)
        m_spClumpTexture->Bind();
    m_texGrassNoiseParam.SetTexture2D(1);
    if (m_spNoiseTexture)
        m_spNoiseTexture->Bind();

    m_camUpParam.SetFloat3v(m_camUp);
    m_camRightParam.SetFloat3v(m_camRight);
    m_camPositionParam.SetFloat3v(m_camPosition);
    m_farDistParam.SetFloat(kFarDistance);

    for (GrassPatch* patch : patches) {
        IIndexBuffer* indices = patch ? patch->GetIndexBuffer() : nullptr;
        // A patch that was never uploaded has nothing to draw.
        if (!indices)
            continue;
        indices->Bind();
        renderer->DrawGeometry(patch);
    }
}

} // namespace Vorm
