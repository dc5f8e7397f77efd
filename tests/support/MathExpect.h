#ifndef VORM_TESTS_MATHEXPECT_H
#define VORM_TESTS_MATHEXPECT_H

#include "Core/Math/Math.h"

#include <gtest/gtest.h>

// Component-wise near-equality checks for the math types.
namespace MathExpect {

const float kPi = 3.1415927f;
const float kEps = 1e-5f;

inline void ExpectNear(const Vector3<float>& v, float x, float y, float z, float eps = kEps)
{
    EXPECT_NEAR(x, v.x, eps);
    EXPECT_NEAR(y, v.y, eps);
    EXPECT_NEAR(z, v.z, eps);
}

inline void ExpectNear(const Vector3<float>& v, const Vector3<float>& e, float eps = kEps)
{
    ExpectNear(v, e.x, e.y, e.z, eps);
}

inline void ExpectNear(const Vector4<float>& v, float x, float y, float z, float w, float eps = kEps)
{
    EXPECT_NEAR(x, v.x, eps);
    EXPECT_NEAR(y, v.y, eps);
    EXPECT_NEAR(z, v.z, eps);
    EXPECT_NEAR(w, v.w, eps);
}

inline void ExpectNear(const Vorm::Quaternion& q, float w, float x, float y, float z, float eps = kEps)
{
    EXPECT_NEAR(w, q.w, eps);
    EXPECT_NEAR(x, q.x, eps);
    EXPECT_NEAR(y, q.y, eps);
    EXPECT_NEAR(z, q.z, eps);
}

inline void ExpectNear(const Vorm::Quaternion& q, const Vorm::Quaternion& e, float eps = kEps)
{
    ExpectNear(q, e.w, e.x, e.y, e.z, eps);
}

inline void ExpectNear(const Matrix33<float>& a, const Matrix33<float>& b, float eps = kEps)
{
    for (int i = 0; i < 9; ++i)
        EXPECT_NEAR(b.Ptr()[i], a.Ptr()[i], eps) << "element " << i;
}

inline void ExpectNear(const Matrix44<float>& a, const Matrix44<float>& b, float eps = kEps)
{
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(b.Ptr()[i], a.Ptr()[i], eps) << "element " << i;
}

inline Matrix33<float> AxisAngleMatrix(const Vector3<float>& axis, float angle)
{
    Matrix33<float> m;
    m.MakeAxisAngle(axis, angle);
    return m;
}

} // namespace MathExpect

#endif
