#ifndef VORM_CORE_MATH_MATHFUNCTIONS_H
#define VORM_CORE_MATH_MATHFUNCTIONS_H

#include <cmath>

namespace Vorm {
namespace Math {

// Float wrappers of the runtime's scalar functions: evaluated in double
// precision, rounded once to float.
inline float Sqrt(float x) { return static_cast<float>(std::sqrt(static_cast<double>(x))); }
inline float Abs(float x) { return static_cast<float>(std::fabs(static_cast<double>(x))); }
inline float Cos(float x) { return static_cast<float>(std::cos(static_cast<double>(x))); }
inline float Sin(float x) { return static_cast<float>(std::sin(static_cast<double>(x))); }
inline float Tan(float x) { return static_cast<float>(std::tan(static_cast<double>(x))); }
inline float Acos(float x) { return static_cast<float>(std::acos(static_cast<double>(x))); }

inline float Atan2(float y, float x)
{
    return static_cast<float>(std::atan2(static_cast<double>(y), static_cast<double>(x)));
}

inline float Pow(float x, float y)
{
    return static_cast<float>(std::pow(static_cast<double>(x), static_cast<double>(y)));
}

} // namespace Math

inline float DegToRad(float deg) { return deg * 3.1415927f / 180.0f; }
inline float RadToDeg(float rad) { return rad * 180.0f / 3.1415927f; }

} // namespace Vorm

#endif
