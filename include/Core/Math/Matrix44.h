#ifndef VORM_CORE_MATH_MATRIX44_H
#define VORM_CORE_MATH_MATRIX44_H

#include "Core/Math/Vector3.h"
#include "Core/Math/Vector4.h"

// 4x4 matrix stored column by column, as OpenGL takes it untransposed:
// element (row r, column c) is float 4c + r, so a translation sits at
// 12, 13, 14, and m[c] is column c. Column vectors: p' = M p.
template <typename T>
class Matrix44
{
public:
    Matrix44() = default; // elements left uninitialised

    // Values given row by row, stored column by column.
    constexpr Matrix44(T m00, T m01, T m02, T m03,
                       T m10, T m11, T m12, T m13,
                       T m20, T m21, T m22, T m23,
                       T m30, T m31, T m32, T m33)
        : m_col{Vector4<T>(m00, m10, m20, m30), Vector4<T>(m01, m11, m21, m31),
                Vector4<T>(m02, m12, m22, m32), Vector4<T>(m03, m13, m23, m33)}
    {
    }

    Vector4<T>& operator[](unsigned int c) { return m_col[c]; }
    constexpr const Vector4<T>& operator[](unsigned int c) const { return m_col[c]; }

    // The 16 elements in storage order.
    T* Ptr() { return &m_col[0].x; }
    const T* Ptr() const { return &m_col[0].x; }

    // this = a * b (b applied first), written in place; this must be neither
    // a nor b. Saves the temporary of operator* on hot paths.
    void Multiply(const Matrix44& a, const Matrix44& b)
    {
        for (unsigned int c = 0; c < 4; ++c)
            m_col[c] = a * b.m_col[c];
    }

    // Built in a temporary, so either operand may be the assignment's target.
    Matrix44 operator*(const Matrix44& b) const
    {
        Matrix44 r;
        r.Multiply(*this, b);
        return r;
    }

    Vector4<T> operator*(const Vector4<T>& v) const
    {
        const Vector4<T>* m = m_col;
        return Vector4<T>(m[0].x * v.x + m[1].x * v.y + m[2].x * v.z + m[3].x * v.w,
                          m[0].y * v.x + m[1].y * v.y + m[2].y * v.z + m[3].y * v.w,
                          m[0].z * v.x + m[1].z * v.y + m[2].z * v.z + m[3].z * v.w,
                          m[0].w * v.x + m[1].w * v.y + m[2].w * v.z + m[3].w * v.w);
    }

    // Upper 3x3 part times v: a direction, translation ignored.
    Vector3<T> Rotate(const Vector3<T>& v) const
    {
        const Vector4<T>* m = m_col;
        return Vector3<T>(m[0].x * v.x + m[1].x * v.y + m[2].x * v.z,
                          m[0].y * v.x + m[1].y * v.y + m[2].y * v.z,
                          m[0].z * v.x + m[1].z * v.y + m[2].z * v.z);
    }

    // Safe for m == *this: the result is built before it is stored.
    void SetTransposeOf(const Matrix44& m)
    {
        const Vector4<T>* c = m.m_col;
        *this = Matrix44(c[0].x, c[0].y, c[0].z, c[0].w,
                         c[1].x, c[1].y, c[1].z, c[1].w,
                         c[2].x, c[2].y, c[2].z, c[2].w,
                         c[3].x, c[3].y, c[3].z, c[3].w);
    }

    void MakeScale(T sx, T sy, T sz)
    {
        *this = Matrix44(sx, T(0), T(0), T(0),
                         T(0), sy, T(0), T(0),
                         T(0), T(0), sz, T(0),
                         T(0), T(0), T(0), T(1));
    }

    void MakeTranslation(T tx, T ty, T tz)
    {
        *this = Matrix44(T(1), T(0), T(0), tx,
                         T(0), T(1), T(0), ty,
                         T(0), T(0), T(1), tz,
                         T(0), T(0), T(0), T(1));
    }

    static const Matrix44 IDENTITY;

private:
    Vector4<T> m_col[4];
};

// Constant-initialised, so it is valid before any dynamic initialiser runs.
template <typename T>
constexpr Matrix44<T> Matrix44<T>::IDENTITY(T(1), T(0), T(0), T(0),
                                            T(0), T(1), T(0), T(0),
                                            T(0), T(0), T(1), T(0),
                                            T(0), T(0), T(0), T(1));

#endif
