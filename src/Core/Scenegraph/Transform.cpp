#include "Core/Scenegraph/Transform.h"

#include "Core/Math/MathFunctions.h"
#include "Core/Util/Assert.h"

namespace Vorm {

Transform::Transform()
    : m_fScale(1.0f),
      m_mMatrix(Matrix33<float>::IDENTITY),
      m_vTranslation(Vector3<float>::ZERO),
      m_bIsIdentity(true),
      m_bIsRSMat(true)
{
}

Transform::~Transform() {}

void Transform::MakeIdentity() { *this = Transform(); }

void Transform::SetTranslation(const Vector3<float>& t)
{
    m_vTranslation = t;
    m_bIsIdentity = false;
}

void Transform::SetTranslation(float x, float y, float z)
{
    SetTranslation(Vector3<float>(x, y, z));
}

void Transform::SetScale(float s)
{
    VORM_ASSERT(m_bIsRSMat && s != 0.0f);
    m_bIsIdentity = false;
    m_fScale = s;
}

void Transform::SetRotation(const Matrix33<float>& rotation)
{
    m_mMatrix = rotation;
    m_bIsIdentity = false;
    m_bIsRSMat = true;
}

void Transform::SetRotation(const Vector3<float>& euler)
{
    m_bIsIdentity = false;
    m_bIsRSMat = true;
    const float ca = Math::Cos(euler.x), sa = Math::Sin(euler.x);
    const float cb = Math::Cos(euler.y), sb = Math::Sin(euler.y);
    const float cc = Math::Cos(euler.z), sc = Math::Sin(euler.z);
    m_mMatrix = Matrix33<float>(cb * cc, -cb * sc, -sb,
                                -sa * sb * cc + ca * sc, sa * sb * sc + ca * cc, -sa * cb,
                                ca * sb * cc + sa * sc, -ca * sb * sc + sa * cc, ca * cb);
}

void Transform::SetMatrix(const Matrix33<float>& m)
{
    m_mMatrix = m;
    m_bIsIdentity = false;
    m_bIsRSMat = false;
}

const Matrix33<float>& Transform::GetRotation() const
{
    VORM_ASSERT(m_bIsRSMat && "Matrix in Transform is an arbitrary Matrix!");
    return m_mMatrix;
}

const Matrix33<float>& Transform::GetMatrix() const { return m_mMatrix; }

void Transform::Product(const Transform& a, const Transform& b)
{
    if (a.m_bIsIdentity) {
        *this = b;
        return;
    }
    if (b.m_bIsIdentity) {
        *this = a;
        return;
    }

    // Results are formed before any field of this is written, so a or b may be this.
    if (a.m_bIsRSMat && b.m_bIsRSMat) {
        const Matrix33<float> matrix = a.m_mMatrix * b.m_mMatrix;
        const Vector3<float> translation = (a.m_mMatrix * b.m_vTranslation) * a.m_fScale + a.m_vTranslation;
        const float scale = a.m_fScale * b.m_fScale;
        m_mMatrix = matrix;
        m_vTranslation = translation;
        m_fScale = scale;
        m_bIsRSMat = true;
        m_bIsIdentity = false;
        return;
    }

    const Matrix33<float> A = a.m_bIsRSMat ? a.m_mMatrix * a.m_fScale : a.m_mMatrix;
    const Matrix33<float> B = b.m_bIsRSMat ? b.m_mMatrix * b.m_fScale : b.m_mMatrix;
    const Vector3<float> translation = A * b.m_vTranslation + a.m_vTranslation;
    m_mMatrix = A * B;
    m_vTranslation = translation;
    // The scale field is left as it was: it is ignored while the matrix is arbitrary.
    m_bIsRSMat = false;
    m_bIsIdentity = false;
}

void Transform::ToMatrix44(Matrix44<float>& out) const
{
    for (unsigned int c = 0; c < 3; ++c) {
        const Vector3<float> col = m_bIsRSMat ? m_mMatrix[c] * m_fScale : m_mMatrix[c];
        out[c] = Vector4<float>(col.x, col.y, col.z, 0.0f);
    }
    out[3] = Vector4<float>(m_vTranslation.x, m_vTranslation.y, m_vTranslation.z, 1.0f);
}

Vector4<float> Transform::Apply(const Vector4<float>& v) const
{
    if (m_bIsIdentity)
        return v;
    // The 4x4 product's sums without building the matrix: every world bound
    // goes through here on each update.
    const float s = m_bIsRSMat ? m_fScale : 1.0f;
    const Vector3<float> c0 = m_mMatrix[0] * s;
    const Vector3<float> c1 = m_mMatrix[1] * s;
    const Vector3<float> c2 = m_mMatrix[2] * s;
    const Vector3<float>& t = m_vTranslation;
    return Vector4<float>(c0.x * v.x + c1.x * v.y + c2.x * v.z + t.x * v.w,
                          c0.y * v.x + c1.y * v.y + c2.y * v.z + t.y * v.w,
                          c0.z * v.x + c1.z * v.y + c2.z * v.z + t.z * v.w,
                          v.w);
}

} // namespace Vorm
