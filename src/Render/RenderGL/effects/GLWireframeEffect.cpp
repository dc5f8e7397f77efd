#include "RenderGL/effects/GLWireframeEffect.h"

#include "Core/Rendering/ApiEffect.h"
#include "Core/Rendering/IRenderer.h"
#include "Core/Rendering/VertexTypes.h"
#include "Core/Util/Assert.h"
#include "Core/Util/TSingleton.h"
#include "RenderGL/effects/EffectProgramCheck.h"

namespace Vorm {

bool GLWireframeEffect::CheckProgram(std::string* error)
{
    // The line view shows the meshes of the mesh reader.
    return CheckEffectProgram(kEffectFile, {}, {VT_PosNorTexTan::GetFormat()}, error);
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
