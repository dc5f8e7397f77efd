#ifndef VORM_CORE_RENDERING_VERTEXTYPES_H
#define VORM_CORE_RENDERING_VERTEXTYPES_H

#include "Core/Math/Vector2.h"
#include "Core/Math/Vector3.h"
#include "Core/Rendering/VertexFormat.h"

namespace Vorm {

// Fixed vertex records with their shared vertex formats. Each format is built
// once before the entry point; GetFormat hands out a copy (VT_PosNor: the
// shared object itself).

struct VT_Pos
{
    VT_Pos() = default;
    VT_Pos(const Vector3<float>& pos_) : pos(pos_) {}

    static VertexFormat GetFormat();

    Vector3<float> pos;
};

// Exists only as a vertex format.
struct VT_PosNor
{
    static const VertexFormat& GetFormat();
};

struct VT_PosNorTex
{
    VT_PosNorTex() = default;
    VT_PosNorTex(const Vector3<float>& pos_, const Vector3<float>& normal_, const Vector2& tex0_)
        : pos(pos_), normal(normal_), tex0(tex0_) {}

    static VertexFormat GetFormat();

    Vector3<float> pos;
    Vector3<float> normal;
    Vector2 tex0;
};

struct VT_PosNorTexTan
{
    VT_PosNorTexTan() = default;
    VT_PosNorTexTan(const Vector3<float>& pos_, const Vector3<float>& normal_,
                    const Vector2& tex0_, const Vector3<float>& tangent_)
        : pos(pos_), normal(normal_), tex0(tex0_), tangent(tangent_) {}

    static VertexFormat GetFormat();

    Vector3<float> pos;
    Vector3<float> normal;
    Vector2 tex0;
    Vector3<float> tangent;
};

// Exists only as a vertex format.
struct VT_TexTan
{
    static VertexFormat GetFormat();
};

} // namespace Vorm

#endif
