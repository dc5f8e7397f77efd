#include "MaterialLighting.h"

#include <algorithm>

Rgb MaterialColour(const Vorm::Light& light, const Vector4<float>& ambient, const Vector4<float>& diffuse,
                   float facing, float shadow)
{
    const Vector4<float> la = light.GetAmbient(), ld = light.GetDiffuse();
    const float sky = 0.6f + 0.4f * facing;
    const float direct = std::max(facing, 0.0f) * shadow;
    // An 8-bit colour buffer holds no more than 1.
    auto shown = [](float c) { return std::min(std::max(c, 0.0f), 1.0f); };
    return {shown(la.x * ambient.x + (la.x * sky + ld.x * direct) * diffuse.x),
            shown(la.y * ambient.y + (la.y * sky + ld.y * direct) * diffuse.y),
            shown(la.z * ambient.z + (la.z * sky + ld.z * direct) * diffuse.z)};
}
