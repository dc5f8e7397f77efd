#include "RenderGL/effects/GLShadowMappingEffect.h"

#include "Core/Math/Matrix44.h"
#include "Core/Rendering/ApiEffect.h"
#include "Core/Rendering/IRenderTarget.h"
#include "Core/Rendering/IRenderer.h"
#include "Core/Rendering/ITexture.h"
#include "Core/Rendering/VertexTypes.h"
#include "Core/Rendering/Viewport.h"
#include "Core/Scenegraph/Geometry.h"
#include "Core/Scenegraph/Light.h"
#include "Core/Util/Assert.h"
#include "Core/Util/TSingleton.h"
#include "RenderGL/effects/EffectProgramCheck.h"
#include "RenderGL/effects/api/glsl/GLSLProgram.h"

#include <iostream>

namespace Vorm {

bool GLShadowMappingEffect::CheckProgram(std::string* error)
{
    // The casters are meshes of the mesh reader.
    return CheckEffectProgram(kEffectFile, {"Matrix_LVP"}, {VT_PosNorTexTan::GetFormat()}, error);
}

GLShadowMappingEffect::GLShadowMappingEffect()
    : m_bReported(false)
{
    m_spApiEffect = TSingleton<IRenderer>::Instance()->CreateApiEffect(kEffectFile);
    VORM_ASSERT(m_spApiEffect && "Can not load ShadowMapping.glslfx");
    const GLSLProgram* program = dynamic_cast<const GLSLProgram*>(m_spApiEffect.get());
    const bool isOk = program && program->GetUniform("Matrix_LVP", m_matrixLVP);
    if (m_spApiEffect)
        VORM_ASSERT(isOk && "Error get uniform Matrix_LVP");
}

GLShadowMappingEffect::~GLShadowMappingEffect()
{
}

void GLShadowMappingEffect::Render(boost::shared_ptr<Light> light, const std::vector<Geometry*>& casters)
{
    if (!light)
        return;
    // Casters drawn without their light matrix would fill the maps with
    // nonsense: such a program is not used at all.
    const bool canDraw = m_spApiEffect && !m_matrixLVP.IsEmpty();
    if (!canDraw && !m_bReported) {
        std::cout << "ShadowMapping.glslfx is not usable: shadow maps are cleared, no caster is drawn"
                  << std::endl;
        m_bReported = true;
    }

    IRenderer* renderer = TSingleton<IRenderer>::Instance();
    light->UpdateShadows();
    const Viewport saved = renderer->GetViewport();
    if (canDraw)
        renderer->SetApiEffect(m_spApiEffect);

    Matrix44<float> world;
    Matrix44<float> lvp;
    for (unsigned i = 0; i < light->GetSplitCount(); ++i) {
        const boost::shared_ptr<IRenderTarget> target = light->GetShadowMap(i);
        if (!target)
            continue;
        const Matrix44<float> split = light->GetShadowMatrix(i);
        renderer->SetViewport(0, 0, static_cast<int>(target->GetWidth()), static_cast<int>(target->GetHeight()));
        target->Bind();
        renderer->Clear(2);
        if (canDraw) {
            for (Geometry* caster : casters) {
                if (!caster)
                    continue;
                caster->World().ToMatrix44(world);
                lvp.Multiply(split, world);
                m_matrixLVP.SetMatrix4(&lvp, false);
                renderer->DrawGeometry(caster);
            }
        }
        target->Unbind();
        if (const boost::shared_ptr<ITexture> depth = target->GetDepthTexture())
            depth->GenerateMipmaps();
    }
    renderer->SetViewport(saved.x, saved.y, saved.width, saved.height);
}

} // namespace Vorm
