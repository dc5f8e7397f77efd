#include "Core/Rendering/ApiEffect.h"

namespace Vorm {

// The null effect: every operation does nothing.

ApiEffect::~ApiEffect()
{
}

void ApiEffect::Enable()
{
}

void ApiEffect::Disable()
{
}

bool ApiEffect::IsEnabled() const
{
    return false;
}

void ApiEffect::SetViewProjection(const Matrix44<float>*, const Matrix44<float>*)
{
}

void ApiEffect::UpdateVertexDataBinding(const std::map<std::string, VertexAttribute>&)
{
}

void ApiEffect::SetModelMatrix(const Matrix44<float>&)
{
}

} // namespace Vorm
