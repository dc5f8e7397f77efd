#include "Core/Scenegraph/mesh/ComputeTangents.h"

#include <cmath>
#include <cstddef>

namespace Vorm {

void ComputeTangents(std::vector<VT_PosNorTexTan>& vertices, const std::vector<std::uint32_t>& indices)
{
    const std::size_t vertexCount = vertices.size();
    const std::size_t triangles = indices.size() / 3;
    for (std::size_t t = 0; t < triangles; ++t) {
        const std::uint32_t i0 = indices[3 * t];
        const std::uint32_t i1 = indices[3 * t + 1];
        const std::uint32_t i2 = indices[3 * t + 2];
        // Indices come from files as read: one past the list would write
        // outside it.
        if (i0 >= vertexCount || i1 >= vertexCount || i2 >= vertexCount)
            continue;
        VT_PosNorTexTan& v0 = vertices[i0];
        VT_PosNorTexTan& v1 = vertices[i1];
        VT_PosNorTexTan& v2 = vertices[i2];

        const Vector3<float> e1 = v1.pos - v0.pos;
        const Vector3<float> e2 = v2.pos - v0.pos;
        const float du1 = v1.tex0.x - v0.tex0.x;
        const float du2 = v2.tex0.x - v0.tex0.x;
        const float dv1 = v1.tex0.y - v0.tex0.y;
        const float dv2 = v2.tex0.y - v0.tex0.y;

        const float det = du1 * dv2 - du2 * dv1;
        const float r = 1.0f / det;
        // Texture coordinates that span no area give no u direction; their
        // infinite tangent would spoil every vertex it is summed into.
        if (!std::isfinite(r))
            continue;
        const Vector3<float> tangent = (e1 * dv2 - e2 * dv1) * r;
        if (!std::isfinite(tangent.x) || !std::isfinite(tangent.y) || !std::isfinite(tangent.z))
            continue;
        v0.tangent = v0.tangent + tangent;
        v1.tangent = v1.tangent + tangent;
        v2.tangent = v2.tangent + tangent;
    }

    for (std::size_t i = 0; i < vertexCount; ++i) {
        const Vector3<float>& n = vertices[i].normal;
        Vector3<float> t = vertices[i].tangent;
        t = t - n * n.Dot(t);
        if (t.LengthSqr() != 0.0f)
            t.Normalize();
        vertices[i].tangent = t;
    }
}

} // namespace Vorm
