#ifndef VORM_CORE_MATH_VECTOR2_H
#define VORM_CORE_MATH_VECTOR2_H

#include "Core/Math/MathFunctions.h"

// Two floats, used for texture coordinates.
class Vector2
{
public:
    float x, y;

    Vector2() = default; // components left uninitialised
    constexpr Vector2(float x_, float y_) : x(x_), y(y_) {}

    float Length() const { return Vorm::Math::Sqrt(x * x + y * y); }
};

#endif
