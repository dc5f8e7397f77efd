#include "Core/Scenegraph/Transform.h"

#include "AssertRecorder.h"
#include "MathExpect.h"

#include <gtest/gtest.h>

using Vorm::Transform;
using namespace MathExpect;

namespace {

Matrix44<float> ToMatrix(const Transform& t)
{
    Matrix44<float> m;
    t.ToMatrix44(m);
    return m;
}

void ExpectSame(const Transform& a, const Transform& b)
{
    EXPECT_EQ(a.IsIdentity(), b.IsIdentity());
    EXPECT_EQ(a.IsRSMat(), b.IsRSMat());
    EXPECT_EQ(a.GetScale(), b.GetScale());
    ExpectNear(a.GetMatrix(), b.GetMatrix(), 0.0f);
    const Vector3<float>& t = b.GetTranslation();
    ExpectNear(a.GetTranslation(), t.x, t.y, t.z, 0.0f);
}

Transform RotScaleTrans(const Vector3<float>& axis, float angle, float s, const Vector3<float>& t)
{
    Transform x;
    x.SetRotation(AxisAngleMatrix(axis, angle));
    x.SetScale(s);
    x.SetTranslation(t);
    return x;
}

} // namespace

TEST(Transform, IdentityMatrixAndApply)
{
    const Transform id;
    EXPECT_TRUE(id.IsIdentity());
    EXPECT_TRUE(id.IsRSMat());
    ExpectNear(ToMatrix(id), Matrix44<float>::IDENTITY, 0.0f);
    ExpectNear(id.Apply(Vector4<float>(1, 2, 3, 1)), 1, 2, 3, 1, 0.0f);

    // Composing with the identity on either side changes nothing.
    Transform t;
    t.SetMatrix(Matrix33<float>(1, 2, 3, 4, 5, 6, 7, 8, 10));
    t.SetTranslation(1, 2, 3);
    Transform r;
    r.Product(id, t);
    ExpectSame(r, t);
    r.Product(t, id);
    ExpectSame(r, t);
    r.MakeIdentity();
    ExpectSame(r, id);

    Transform st;
    st.SetScale(2.0f);
    st.SetTranslation(Vector3<float>(1, 2, 3));
    ExpectNear(ToMatrix(st), Matrix44<float>(2, 0, 0, 1, 0, 2, 0, 2, 0, 0, 2, 3, 0, 0, 0, 1), 0.0f);
    ExpectNear(st.Apply(Vector4<float>(1, 1, 1, 1)), 3, 4, 5, 1);
    ExpectNear(st.Apply(Vector4<float>(1, 1, 1, 0)), 2, 2, 2, 0); // directions ignore translation
}

TEST(Transform, RotationScaleProductMatchesMatrixProduct)
{
    const Transform a = RotScaleTrans(Vector3<float>::UNIT_Z, kPi / 2.0f, 2.0f, Vector3<float>(1, 0, 0));
    const Transform b = RotScaleTrans(Vector3<float>::UNIT_X, 0.5f, 3.0f, Vector3<float>(0, 1, 2));
    Transform ab;
    ab.Product(a, b);
    EXPECT_TRUE(ab.IsRSMat());
    EXPECT_FALSE(ab.IsIdentity());
    EXPECT_FLOAT_EQ(6.0f, ab.GetScale());
    // a.R * b.t * 2 + a.t: (0,1,2) turned to (-1,0,2), doubled, plus (1,0,0).
    ExpectNear(ab.GetTranslation(), -1, 0, 4);
    ExpectNear(ToMatrix(ab), ToMatrix(a) * ToMatrix(b));

    // The result may be written over an operand.
    Transform acc = a;
    acc.Product(acc, b);
    ExpectSame(acc, ab);
}

TEST(Transform, ArbitraryMatrixProductDropsTheScale)
{
    Transform m;
    m.SetMatrix(Matrix33<float>(1, 2, 0, 0, 1, 0, 0, 0, 1)); // a shear
    m.SetTranslation(0, 0, 5);
    EXPECT_FALSE(m.IsRSMat());
    const Transform rs = RotScaleTrans(Vector3<float>::UNIT_Y, 0.3f, 2.0f, Vector3<float>(1, 2, 3));

    Transform r;
    r.Product(m, rs);
    EXPECT_FALSE(r.IsRSMat());
    EXPECT_FALSE(r.IsIdentity());
    ExpectNear(ToMatrix(r), ToMatrix(m) * ToMatrix(rs));
    r.Product(rs, m);
    ExpectNear(ToMatrix(r), ToMatrix(rs) * ToMatrix(m));
    ExpectNear(r.GetMatrix(), (AxisAngleMatrix(Vector3<float>::UNIT_Y, 0.3f) * 2.0f) * m.GetMatrix());

    // The scale set before the matrix is ignored, not applied.
    Transform scaled;
    scaled.SetScale(4.0f);
    scaled.SetMatrix(Matrix33<float>::IDENTITY);
    ExpectNear(ToMatrix(scaled), Matrix44<float>::IDENTITY, 0.0f);
}

TEST(Transform, SettersKeepTheOtherFieldsAndReportMisuse)
{
    AssertRecorder rec;
    Transform t;
    const Matrix33<float> r = AxisAngleMatrix(Vector3<float>::UNIT_Z, 0.4f);
    t.SetRotation(r);
    t.SetTranslation(1, 1, 1);
    EXPECT_TRUE(t.IsRSMat());
    t.SetScale(3.0f);
    ExpectNear(t.GetMatrix(), r, 0.0f);

    // Euler angles: the Y angle enters with its sign reversed.
    const float a = 0.3f, b = -0.8f, c = 1.1f;
    Transform e;
    e.SetMatrix(r);
    e.SetRotation(Vector3<float>(a, b, c));
    EXPECT_TRUE(e.IsRSMat());
    EXPECT_FALSE(e.IsIdentity());
    ExpectNear(e.GetRotation(), AxisAngleMatrix(Vector3<float>::UNIT_X, a) * AxisAngleMatrix(Vector3<float>::UNIT_Y, -b) *
                                    AxisAngleMatrix(Vector3<float>::UNIT_Z, c));
    EXPECT_TRUE(rec.Failures().empty());

    t.SetScale(0.0f);
    EXPECT_TRUE(rec.Saw("m_bIsRSMat && s != 0.0f"));
    EXPECT_EQ(0.0f, t.GetScale());

    rec.Clear();
    Transform m;
    m.SetMatrix(r * 2.0f);
    m.SetScale(5.0f);
    EXPECT_TRUE(rec.Saw("m_bIsRSMat && s != 0.0f"));
    EXPECT_EQ(5.0f, m.GetScale());
    rec.Clear();
    ExpectNear(m.GetRotation(), r * 2.0f, 0.0f);
    EXPECT_TRUE(rec.Saw("m_bIsRSMat && \"Matrix in Transform is an arbitrary Matrix!\""));
}
