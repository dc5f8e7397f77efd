#ifndef VORM_CORE_MATH_MATRIXBUILDERS_H
#define VORM_CORE_MATH_MATRIXBUILDERS_H

#include "Core/Math/MathFunctions.h"
#include "Core/Math/Matrix44.h"
#include "Core/Math/Plane.h"

// Projection and special matrices, OpenGL conventions: the eye looks down -Z
// and clip depth runs from -1 (near) to +1 (far). No builder checks its
// arguments; equal bounds divide by zero.
namespace Vorm {

inline Matrix44<float> MakeOrthographic(float l, float r, float b, float t, float n, float f)
{
    return Matrix44<float>(2.0f / (r - l), 0.0f, 0.0f, -(r + l) / (r - l),
                           0.0f, 2.0f / (t - b), 0.0f, -(t + b) / (t - b),
                           0.0f, 0.0f, -2.0f / (f - n), -(f + n) / (f - n),
                           0.0f, 0.0f, 0.0f, 1.0f);
}

// Orthographic box centred on the view axis.
inline Matrix44<float> MakeOrthographicSize(float w, float h, float n, float f)
{
    return Matrix44<float>(2.0f / w, 0.0f, 0.0f, 0.0f,
                           0.0f, 2.0f / h, 0.0f, 0.0f,
                           0.0f, 0.0f, -2.0f / (f - n), -(f + n) / (f - n),
                           0.0f, 0.0f, 0.0f, 1.0f);
}

inline Matrix44<float> MakeFrustum(float l, float r, float b, float t, float n, float f)
{
    return Matrix44<float>(2.0f * n / (r - l), 0.0f, (r + l) / (r - l), 0.0f,
                           0.0f, 2.0f * n / (t - b), (t + b) / (t - b), 0.0f,
                           0.0f, 0.0f, -(f + n) / (f - n), -2.0f * f * n / (f - n),
                           0.0f, 0.0f, -1.0f, 0.0f);
}

// fovy in degrees.
inline Matrix44<float> MakePerspective(float fovy, float aspect, float n, float f)
{
    const float k = 1.0f / Math::Tan(DegToRad(fovy) / 2.0f);
    return Matrix44<float>(k / aspect, 0.0f, 0.0f, 0.0f,
                           0.0f, k, 0.0f, 0.0f,
                           0.0f, 0.0f, -(f + n) / (f - n), -2.0f * f * n / (f - n),
                           0.0f, 0.0f, -1.0f, 0.0f);
}

// Mirror about the plane: I - 2 n n^T with translation -2 d n.
inline Matrix44<float> MakeReflectionMatrix(const Plane& p)
{
    const Vector3<float> n = p.GetNormal();
    const float d = p.GetD();
    return Matrix44<float>(1.0f - 2.0f * n.x * n.x, -2.0f * n.x * n.y, -2.0f * n.x * n.z, -2.0f * d * n.x,
                           -2.0f * n.y * n.x, 1.0f - 2.0f * n.y * n.y, -2.0f * n.y * n.z, -2.0f * d * n.y,
                           -2.0f * n.z * n.x, -2.0f * n.z * n.y, 1.0f - 2.0f * n.z * n.z, -2.0f * d * n.z,
                           0.0f, 0.0f, 0.0f, 1.0f);
}

// Maps clip space [-1, 1] to texture space [0, 1] after m.
inline Matrix44<float> MakeShadowTextureMatrix(const Matrix44<float>& m)
{
    Matrix44<float> translation, scale;
    translation.MakeTranslation(0.5f, 0.5f, 0.5f);
    scale.MakeScale(0.5f, 0.5f, 0.5f);
    return (translation * scale) * m;
}

} // namespace Vorm

#endif
