#include "Core/Math/Quaternion.h"

#include "AssertRecorder.h"
#include "MathExpect.h"

#include <gtest/gtest.h>

#include <cmath>

using Vorm::Quaternion;
using namespace MathExpect;

namespace {

Quaternion AngleAxis(float angle, const Vector3<float>& axis)
{
    Quaternion q;
    q.FromAngleAxis(angle, axis);
    return q;
}

Matrix33<float> ToMatrix(const Quaternion& q)
{
    Matrix33<float> m;
    q.ToRotationMatrix33(m);
    return m;
}

// The quaternion a free function writes to its first argument.
template <typename F, typename... Args>
Quaternion Result(F f, const Args&... args)
{
    Quaternion q;
    f(q, args...);
    return q;
}

} // namespace

TEST(Quaternion, MatrixAxisAngleAndEuler)
{
    const Vector3<float> axis = Vector3<float>(1, 2, 2).Normalized();
    const Quaternion q = AngleAxis(1.2f, axis);
    ExpectNear(ToMatrix(q), AxisAngleMatrix(axis, 1.2f));

    Matrix44<float> m4;
    q.ToRotationMatrix(m4);
    const Matrix33<float> m3 = ToMatrix(q);
    for (unsigned int c = 0; c < 3; ++c)
        ExpectNear(m4[c], m3[c].x, m3[c].y, m3[c].z, 0.0f, 0.0f);
    ExpectNear(m4[3], 0, 0, 0, 1, 0.0f);

    // QuatFromAxisAngle normalises the axis itself.
    ExpectNear(Result(Vorm::QuatFromAxisAngle, Vector3<float>(1, 2, 2), 1.2f), q);

    Vector3<float> outAxis;
    float outAngle = 0.0f;
    q.ToAngleAxis(outAxis, outAngle);
    EXPECT_NEAR(1.2f, outAngle, kEps);
    ExpectNear(outAxis, axis.x, axis.y, axis.z);

    // FromEuler(a, b, c) is rotZ(a) * rotY(b) * rotX(c); ToEuler inverts it.
    const float a = 0.4f, b = -0.9f, c = 1.3f;
    Quaternion e;
    e.FromEuler(a, b, c);
    ExpectNear(ToMatrix(e), AxisAngleMatrix(Vector3<float>::UNIT_Z, a) * AxisAngleMatrix(Vector3<float>::UNIT_Y, b) *
                                AxisAngleMatrix(Vector3<float>::UNIT_X, c));
    Vector3<float> euler;
    e.ToEuler(euler);
    ExpectNear(euler, a, b, c);
}

TEST(Quaternion, ProductOrderExpLogAndComparisons)
{
    const Quaternion p = AngleAxis(0.7f, Vector3<float>::UNIT_X);
    const Quaternion q = AngleAxis(-1.1f, Vector3<float>::UNIT_Y);
    // p * q rotates by q first, like the matrix product.
    ExpectNear(ToMatrix(p * q), ToMatrix(p) * ToMatrix(q));
    Quaternion r = p;
    r *= q; // multiplies from the left
    ExpectNear(r, q * p, 0.0f);
    // The conjugate of a unit quaternion is its inverse.
    ExpectNear(p * p.Conjugate(), 1, 0, 0, 0);

    const Quaternion u = AngleAxis(1.4f, Vector3<float>(0.6f, 0, 0.8f));
    const Quaternion l = Result(Vorm::QuatLog, u);
    EXPECT_EQ(0.0f, l.w);
    ExpectNear(l, 0, 0.6f * 0.7f, 0, 0.8f * 0.7f);
    ExpectNear(Result(Vorm::QuatExp, l), u);
    ExpectNear(Result(Vorm::QuatExp, Quaternion(5, 0, 0, 0)), 1, 0, 0, 0, 0.0f);

    EXPECT_FALSE(u.Equals(u, 0.0f));
    EXPECT_TRUE(u.Equals(u + Quaternion(0, 0, 0.0005f, 0), 0.001f));
    EXPECT_FALSE(u.Equals(u + Quaternion(0, 0, 0.002f, 0), 0.001f));
    EXPECT_TRUE(u != u * 1.5f);
    ExpectNear(Quaternion(0, 3, 0, 4).Normalized(), 0, 0.6f, 0, 0.8f);
}

TEST(Quaternion, RotationArcAndDegenerateInputs)
{
    ExpectNear(Quaternion(Vector3<float>::UNIT_X, Vector3<float>(0, 5, 0)),
               AngleAxis(kPi / 2.0f, Vector3<float>::UNIT_Z));

    // Opposite vectors: a half turn that takes from onto to.
    const Quaternion h(Vector3<float>::UNIT_X, -Vector3<float>::UNIT_X);
    ExpectNear(ToMatrix(h) * Vector3<float>::UNIT_X, -1, 0, 0);

    // Equal components make the first perpendicular guess vanish; still a half turn.
    AssertRecorder rec;
    const Vector3<float> d(1, 1, 1);
    const Quaternion e(d, -d);
    EXPECT_TRUE(rec.Failures().empty());
    EXPECT_NEAR(1.0f, e.Length(), kEps);
    ExpectNear(ToMatrix(e) * d, -1, -1, -1);

    // Identity has no axis of its own: angle 0 about X rather than NaN.
    Vector3<float> axis;
    float angle = 1.0f;
    AngleAxis(0.0f, Vector3<float>::UNIT_Z).ToAngleAxis(axis, angle);
    EXPECT_EQ(0.0f, angle);
    ExpectNear(axis, 1, 0, 0, 0.0f);

    Quaternion zero(0, 0, 0, 0);
    zero.Normalize();
    ExpectNear(zero, 0, 0, 0, 0, 0.0f);
}

TEST(Quaternion, SlerpSquadAndControlPoints)
{
    const Quaternion q1 = AngleAxis(0.0f, Vector3<float>::UNIT_Z);
    const Quaternion q2 = AngleAxis(kPi / 2.0f, Vector3<float>::UNIT_Z); // dot 0.707
    const Quaternion half = AngleAxis(kPi / 4.0f, Vector3<float>::UNIT_Z);
    ExpectNear(Result(Vorm::QuatSlerp, q1, q2, 0.0f), q1);
    ExpectNear(Result(Vorm::QuatSlerp, q1, q2, 1.0f), q2);
    ExpectNear(Result(Vorm::QuatSlerp, q1, q2, 0.5f), half);

    // dot 0.96: the normalised linear blend, which differs from the true arc.
    const Quaternion near(0.96f, 0.0f, 0.0f, std::sqrt(1.0f - 0.96f * 0.96f));
    const Quaternion nlerp = Result(Vorm::QuatNlerp, q1, near, 0.3f);
    ExpectNear(Result(Vorm::QuatSlerp, q1, near, 0.3f), nlerp, 0.0f);
    ExpectNear(nlerp, (q1 * 0.7f + near * 0.3f).Normalized());

    // Shortest: q and -q are the same rotation, and it takes the short way where plain slerp does not.
    const Quaternion q = AngleAxis(1.0f, Vector3<float>(0, 0.6f, 0.8f));
    for (float t : {0.0f, 0.4f, 1.0f})
        ExpectNear(Result(Vorm::QuatSlerpShortest, q, -q, t), q);
    ExpectNear(Result(Vorm::QuatSlerpShortest, q1, -q2, 0.5f), half);

    // Evenly spaced turns about one axis need no correction; otherwise the angle moves by -(a0 + a2 - 2 a1) / 4.
    const Vector3<float> y = Vector3<float>::UNIT_Y;
    const Quaternion a0 = AngleAxis(0.2f, y), a1 = AngleAxis(0.9f, y), a2 = AngleAxis(1.6f, y), a3 = AngleAxis(2.3f, y);
    ExpectNear(Result(Vorm::QuatSquadControlPoint, a0, a1, a2), a1);
    ExpectNear(Result(Vorm::QuatSquadControlPoint, a1, a2, a3), a2);
    ExpectNear(Result(Vorm::QuatSquadControlPoint, a0, a1, AngleAxis(1.8f, y)), AngleAxis(0.85f, y));

    const Quaternion c1 = AngleAxis(0.3f, Vector3<float>::UNIT_X), c2 = AngleAxis(-0.4f, Vector3<float>::UNIT_Z);
    ExpectNear(Result(Vorm::QuatSquad, a1, a2, c1, c2, 0.0f), a1);
    ExpectNear(Result(Vorm::QuatSquad, a1, a2, c1, c2, 1.0f), a2);
}
