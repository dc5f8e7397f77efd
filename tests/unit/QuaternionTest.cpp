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

} // namespace

TEST(Quaternion, MatrixAgreesWithAxisAngle)
{
    const Quaternion qz = AngleAxis(kPi / 2.0f, Vector3<float>::UNIT_Z);
    ExpectNear(ToMatrix(qz) * Vector3<float>::UNIT_X, 0, 1, 0);

    const Vector3<float> axis = Vector3<float>(1, 2, 2).Normalized();
    const Quaternion q = AngleAxis(1.2f, axis);
    ExpectNear(ToMatrix(q), AxisAngleMatrix(axis, 1.2f));

    Matrix44<float> m4;
    q.ToRotationMatrix(m4);
    const Matrix33<float> m3 = ToMatrix(q);
    for (unsigned int c = 0; c < 3; ++c)
        ExpectNear(m4[c], m3[c].x, m3[c].y, m3[c].z, 0.0f, 0.0f);
    ExpectNear(m4[3], 0, 0, 0, 1, 0.0f);

    // With a unit axis QuatFromAxisAngle agrees; it normalises the axis itself.
    Quaternion f;
    Vorm::QuatFromAxisAngle(f, Vector3<float>(1, 2, 2), 1.2f);
    ExpectNear(f, q);

    Vector3<float> outAxis;
    float outAngle = 0.0f;
    q.ToAngleAxis(outAxis, outAngle);
    EXPECT_NEAR(1.2f, outAngle, kEps);
    ExpectNear(outAxis, axis.x, axis.y, axis.z);
}

TEST(Quaternion, ProductOrder)
{
    const Quaternion p = AngleAxis(0.7f, Vector3<float>::UNIT_X);
    const Quaternion q = AngleAxis(-1.1f, Vector3<float>::UNIT_Y);
    // p * q rotates by q first, like the matrix product.
    ExpectNear(ToMatrix(p * q), ToMatrix(p) * ToMatrix(q));
    Quaternion r = p;
    r *= q; // multiplies from the left
    ExpectNear(r, q * p, 0.0f);
    ExpectNear(2.0f * p, p * 2.0f, 0.0f);
    // The conjugate of a unit quaternion is its inverse.
    ExpectNear(p * p.Conjugate(), 1, 0, 0, 0);
}

TEST(Quaternion, EulerCompositionAndRoundTrip)
{
    const float a = 0.4f, b = -0.9f, c = 1.3f;
    Quaternion q;
    q.FromEuler(a, b, c);
    const Matrix33<float> expected = AxisAngleMatrix(Vector3<float>::UNIT_Z, a) *
                                     AxisAngleMatrix(Vector3<float>::UNIT_Y, b) *
                                     AxisAngleMatrix(Vector3<float>::UNIT_X, c);
    ExpectNear(ToMatrix(q), expected);
    Vector3<float> e;
    q.ToEuler(e);
    ExpectNear(e, a, b, c);
}

TEST(Quaternion, RotationArc)
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
}

TEST(Quaternion, SlerpEndPointsAndNearThreshold)
{
    const Quaternion q1 = AngleAxis(0.0f, Vector3<float>::UNIT_Z);
    const Quaternion q2 = AngleAxis(kPi / 2.0f, Vector3<float>::UNIT_Z); // dot 0.707
    Quaternion r;
    Vorm::QuatSlerp(r, q1, q2, 0.0f);
    ExpectNear(r, q1);
    Vorm::QuatSlerp(r, q1, q2, 1.0f);
    ExpectNear(r, q2);
    Vorm::QuatSlerp(r, q1, q2, 0.5f);
    ExpectNear(r, AngleAxis(kPi / 4.0f, Vector3<float>::UNIT_Z));

    // dot 0.96: the normalised linear blend, which differs from the true arc.
    const Quaternion near(0.96f, 0.0f, 0.0f, std::sqrt(1.0f - 0.96f * 0.96f));
    Quaternion nlerp;
    Vorm::QuatSlerp(r, q1, near, 0.3f);
    Vorm::QuatNlerp(nlerp, q1, near, 0.3f);
    ExpectNear(r, nlerp, 0.0f);
    ExpectNear(nlerp, (q1 * 0.7f + near * 0.3f).Normalized());

    // Shortest: q and -q are the same rotation.
    const Quaternion q = AngleAxis(1.0f, Vector3<float>(0, 0.6f, 0.8f));
    for (float t : {0.0f, 0.4f, 1.0f}) {
        Vorm::QuatSlerpShortest(r, q, -q, t);
        ExpectNear(r, q);
    }
    // ... and it takes the short way where plain slerp does not.
    Vorm::QuatSlerpShortest(r, q1, -q2, 0.5f);
    ExpectNear(r, AngleAxis(kPi / 4.0f, Vector3<float>::UNIT_Z));
}

TEST(Quaternion, SquadAndControlPoints)
{
    const Vector3<float> axis = Vector3<float>::UNIT_Y;
    const Quaternion q0 = AngleAxis(0.2f, axis), q1 = AngleAxis(0.9f, axis);
    const Quaternion q2 = AngleAxis(1.6f, axis), q3 = AngleAxis(2.3f, axis);
    Quaternion s1, s2;
    Vorm::QuatSquadControlPoint(s1, q0, q1, q2);
    Vorm::QuatSquadControlPoint(s2, q1, q2, q3);
    // Evenly spaced turns about one axis need no correction.
    ExpectNear(s1, q1);
    ExpectNear(s2, q2);

    Quaternion r;
    const Quaternion c1 = AngleAxis(0.3f, Vector3<float>::UNIT_X), c2 = AngleAxis(-0.4f, Vector3<float>::UNIT_Z);
    Vorm::QuatSquad(r, q1, q2, c1, c2, 0.0f);
    ExpectNear(r, q1);
    Vorm::QuatSquad(r, q1, q2, c1, c2, 1.0f);
    ExpectNear(r, q2);
}

TEST(Quaternion, ExpLogAndComparisons)
{
    const Quaternion q = AngleAxis(1.4f, Vector3<float>(0.6f, 0, 0.8f));
    Quaternion l, e;
    Vorm::QuatLog(l, q);
    EXPECT_EQ(0.0f, l.w);
    ExpectNear(l, 0, 0.6f * 0.7f, 0, 0.8f * 0.7f);
    Vorm::QuatExp(e, l);
    ExpectNear(e, q);
    Vorm::QuatExp(e, Quaternion(5, 0, 0, 0));
    ExpectNear(e, 1, 0, 0, 0, 0.0f);

    EXPECT_FALSE(q.Equals(q, 0.0f));
    EXPECT_TRUE(q.Equals(q + Quaternion(0, 0, 0.0005f, 0), 0.001f));
    EXPECT_FALSE(q.Equals(q + Quaternion(0, 0, 0.002f, 0), 0.001f));
    EXPECT_TRUE(q != q * 1.5f);
    ExpectNear(Quaternion(0, 3, 0, 4).Normalized(), 0, 0.6f, 0, 0.8f);
}

TEST(Quaternion, DegenerateInputsStayFinite)
{
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
