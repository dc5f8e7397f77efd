#ifndef VORM_CORE_MATH_VECTOR3_H
#define VORM_CORE_MATH_VECTOR3_H

#include "Core/Math/MathFunctions.h"
#include "Core/Util/Assert.h"

template <typename T>
class Vector3
{
public:
    T x, y, z;

    Vector3() = default; // components left uninitialised
    constexpr Vector3(T x_, T y_, T z_) : x(x_), y(y_), z(z_) {}

    void Set(T x_, T y_, T z_)
    {
        x = x_;
        y = y_;
        z = z_;
    }

    // A bad index is reported and then clamped to z, so the caller never
    // reads or writes past the vector.
    T& operator[](unsigned char i)
    {
        VORM_ASSERT(i < 3 && "Error: Invalid index for Vector3::operator[]!");
        switch (i) {
        case 0: return x;
        case 1: return y;
        default: return z;
        }
    }
    const T& operator[](unsigned char i) const
    {
        return const_cast<Vector3&>(*this)[i];
    }

    T LengthSqr() const { return x * x + y * y + z * z; }
    T Length() const { return Vorm::Math::Sqrt(LengthSqr()); }

    void Normalize()
    {
        VORM_ASSERT(LengthSqr() && "Error: Vector3::Normalize called for a zero vector!");
        // A zero vector has no direction: keep it rather than fill it with NaN.
        if (LengthSqr() == T(0))
            return;
        const float k = 1.0f / Length();
        x *= k;
        y *= k;
        z *= k;
    }

    Vector3 Normalized() const
    {
        Vector3 v(*this);
        v.Normalize();
        return v;
    }

    T Dot(const Vector3& v) const { return x * v.x + y * v.y + z * v.z; }

    Vector3 Cross(const Vector3& v) const
    {
        return Vector3(y * v.z - z * v.y, z * v.x - x * v.z, x * v.y - y * v.x);
    }

    Vector3 operator+(const Vector3& v) const { return Vector3(x + v.x, y + v.y, z + v.z); }
    Vector3 operator-(const Vector3& v) const { return Vector3(x - v.x, y - v.y, z - v.z); }
    Vector3 operator-() const { return Vector3(-x, -y, -z); }
    Vector3 operator*(T s) const { return Vector3(x * s, y * s, z * s); }
    Vector3 operator/(T s) const { return Vector3(x / s, y / s, z / s); }

    // Pointer to the three contiguous components (uniform uploads).
    T* Ptr() { return &x; }
    const T* Ptr() const { return &x; }

    static const Vector3 ZERO;
    static const Vector3 UNIT_X;
    static const Vector3 UNIT_Y;
    static const Vector3 UNIT_Z;
};

// Constant-initialised, so they are valid before any dynamic initialiser runs.
template <typename T> constexpr Vector3<T> Vector3<T>::ZERO(T(0), T(0), T(0));
template <typename T> constexpr Vector3<T> Vector3<T>::UNIT_X(T(1), T(0), T(0));
template <typename T> constexpr Vector3<T> Vector3<T>::UNIT_Y(T(0), T(1), T(0));
template <typename T> constexpr Vector3<T> Vector3<T>::UNIT_Z(T(0), T(0), T(1));

#endif
