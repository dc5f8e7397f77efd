#ifndef VORM_CORE_MATH_MATRIX33_H
#define VORM_CORE_MATH_MATRIX33_H

#include "Core/Math/MathFunctions.h"
#include "Core/Math/Vector3.h"

// 3x3 matrix stored column by column: element (row r, column c) is float
// 3c + r, and m[c] is column c. Column vectors: p' = M p.
template <typename T>
class Matrix33
{
public:
    Matrix33() = default; // elements left uninitialised

    // Values given row by row, stored column by column.
    constexpr Matrix33(T m00, T m01, T m02,
                       T m10, T m11, T m12,
                       T m20, T m21, T m22)
        : m_col{Vector3<T>(m00, m10, m20), Vector3<T>(m01, m11, m21), Vector3<T>(m02, m12, m22)}
    {
    }

    Vector3<T>& operator[](unsigned int c) { return m_col[c]; }
    constexpr const Vector3<T>& operator[](unsigned int c) const { return m_col[c]; }

    T* Ptr() { return &m_col[0].x; }
    const T* Ptr() const { return &m_col[0].x; }

    void MakeIdentity() { *this = IDENTITY; }

    // this = a * b (b applied first); this must be neither a nor b.
    void Multiply(const Matrix33& a, const Matrix33& b)
    {
        for (unsigned int c = 0; c < 3; ++c)
            m_col[c] = a * b.m_col[c];
    }

    Matrix33 operator*(const Matrix33& b) const
    {
        Matrix33 r;
        r.Multiply(*this, b);
        return r;
    }

    Vector3<T> operator*(const Vector3<T>& v) const
    {
        return Vector3<T>(m_col[0].x * v.x + m_col[1].x * v.y + m_col[2].x * v.z,
                          m_col[0].y * v.x + m_col[1].y * v.y + m_col[2].y * v.z,
                          m_col[0].z * v.x + m_col[1].z * v.y + m_col[2].z * v.z);
    }

    Matrix33 operator*(T s) const
    {
        Matrix33 r;
        for (unsigned int c = 0; c < 3; ++c)
            r.m_col[c] = m_col[c] * s;
        return r;
    }

    // Right-handed rotation by angle (radians) about a unit axis.
    void MakeAxisAngle(const Vector3<T>& axis, T angle)
    {
        const T c = Vorm::Math::Cos(angle);
        const T s = Vorm::Math::Sin(angle);
        const T t = T(1) - c;
        const T x = axis.x, y = axis.y, z = axis.z;
        *this = Matrix33(t * x * x + c,     t * x * y - z * s, t * x * z + y * s,
                         t * x * y + z * s, t * y * y + c,     t * y * z - x * s,
                         t * x * z - y * s, t * y * z + x * s, t * z * z + c);
    }

    // Rotation turning unit vector from onto unit vector to. Nearly parallel
    // or nearly opposite vectors (|dot| > 0.95) give the identity.
    void MakeRotationBetween(const Vector3<T>& from, const Vector3<T>& to)
    {
        const T d = from.Dot(to);
        if (Vorm::Math::Abs(d) <= T(0.95f)) {
            Vector3<T> axis = from.Cross(to);
            const T sinAngle = axis.Length();
            axis.Normalize();
            MakeAxisAngle(axis, Vorm::Math::Atan2(sinAngle, d));
        } else {
            MakeIdentity();
        }
    }

    static const Matrix33 IDENTITY;

private:
    Vector3<T> m_col[3];
};

// Constant-initialised, so it is valid before any dynamic initialiser runs.
template <typename T>
constexpr Matrix33<T> Matrix33<T>::IDENTITY(T(1), T(0), T(0),
                                            T(0), T(1), T(0),
                                            T(0), T(0), T(1));

#endif
