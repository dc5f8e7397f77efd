#include "RenderGL/effects/GLWireframeEffect.h"

#include "Core/Rendering/ApiEffect.h"
#include "Core/Rendering/IRenderer.h"
#include "Core/Util/Assert.h"
#include "Core/Util/TSingleton.h"
#include "RenderGL/effects/EffectProgramCheck.h"

namespace Vorm {

bool GLWireframeEffect::CheckProgram(std::string* error)
{
    return CheckEffectProgram(kEffectFile, {}, error);
}

GLWireframeEffect::GLWireframeEffect()
{
    m_spApiEffect = TSingleton<IRenderer>::Instance()->CreateApiEffect(kEffectFile);
    VORM_ASSERT(m_spApiEffect && "Can not load WireframeEffect.glslfx");
}

GLWireframeEffect::~GLWireframeEffect()
{
}

} // namespace Vorm
