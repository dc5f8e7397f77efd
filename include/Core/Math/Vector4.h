#ifndef VORM_CORE_MATH_VECTOR4_H
#define VORM_CORE_MATH_VECTOR4_H

#include "Core/Util/Assert.h"

// Four components: RGBA colours, homogeneous points, plane equations.
template <typename T>
class Vector4
{
public:
    T x, y, z, w;

    Vector4() = default; // components left uninitialised
    constexpr Vector4(T x_, T y_, T z_, T w_) : x(x_), y(y_), z(z_), w(w_) {}

    // A bad index is reported and then clamped to w, so the caller never
    // reads or writes past the vector.
    T& operator[](unsigned char i)
    {
        VORM_ASSERT(i < 4 && "Error: Invalid index for Vector4::operator[]!");
        switch (i) {
        case 0: return x;
        case 1: return y;
        case 2: return z;
        default: return w;
        }
    }
    const T& operator[](unsigned char i) const
    {
        return const_cast<Vector4&>(*this)[i];
    }

    // Pointer to the four contiguous components (uniform uploads).
    T* Ptr() { return &x; }
    const T* Ptr() const { return &x; }

    static const Vector4 ZERO;
};

// Constant-initialised, so it is valid before any dynamic initialiser runs.
template <typename T> constexpr Vector4<T> Vector4<T>::ZERO(T(0), T(0), T(0), T(0));

#endif
