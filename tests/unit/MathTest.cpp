#include "Core/Math/Math.h"

#include "AssertRecorder.h"
#include "MathExpect.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace MathExpect;

namespace {

// The constants must be usable before any dynamic initialiser has run.
static_assert(Vector3<float>::ZERO.x == 0.0f && Vector3<float>::UNIT_Y.y == 1.0f, "");
static_assert(Vector3<float>::UNIT_X.x == 1.0f && Vector3<float>::UNIT_Z.z == 1.0f, "");
static_assert(Vector4<float>::ZERO.w == 0.0f, "");
static_assert(Matrix33<float>::IDENTITY[2].z == 1.0f && Matrix33<float>::IDENTITY[2].x == 0.0f, "");
static_assert(Matrix44<float>::IDENTITY[3].w == 1.0f && Matrix44<float>::IDENTITY[3].x == 0.0f, "");
static_assert(sizeof(Matrix44<float>) == 16 * sizeof(float), "");

float At(const Matrix44<float>& m, int row, int col) { return m.Ptr()[4 * col + row]; }

} // namespace

TEST(Vector, ArithmeticAndNormalize)
{
    Vector3<float> v(3.0f, 4.0f, 0.0f);
    EXPECT_FLOAT_EQ(25.0f, v.LengthSqr());
    EXPECT_FLOAT_EQ(5.0f, v.Length());
    ExpectNear(v.Normalized(), 0.6f, 0.8f, 0.0f);
    ExpectNear(v, 3.0f, 4.0f, 0.0f); // Normalized leaves the source alone
    ExpectNear(Vector3<float>::UNIT_X.Cross(Vector3<float>::UNIT_Y), 0, 0, 1);
    ExpectNear(Vector3<float>(1, 2, 3).Cross(Vector3<float>(4, 5, 6)), -3, 6, -3);
    EXPECT_FLOAT_EQ(32.0f, Vector3<float>(1, 2, 3).Dot(Vector3<float>(4, 5, 6)));
    ExpectNear((Vector3<float>(1, 2, 3) - Vector3<float>(4, 6, 8)) / 2.0f * 3.0f, -4.5f, -6.0f, -7.5f);
    EXPECT_FLOAT_EQ(5.0f, Vector2(3.0f, 4.0f).Length());
    EXPECT_FLOAT_EQ(3.1415927f, Vorm::DegToRad(180.0f));
    EXPECT_FLOAT_EQ(90.0f, Vorm::RadToDeg(kPi / 2.0f));
    EXPECT_FLOAT_EQ(3.0f * kPi / 4.0f, Vorm::Math::Atan2(1.0f, -1.0f));
}

TEST(Vector, BadIndexIsReportedAndClamped)
{
    AssertRecorder rec;
    Vector3<float> v(1.0f, 2.0f, 3.0f);
    EXPECT_FLOAT_EQ(2.0f, v[1]);
    EXPECT_TRUE(rec.Failures().empty());
    EXPECT_FLOAT_EQ(3.0f, v[3]);
    EXPECT_TRUE(rec.Saw("i < 3 && \"Error: Invalid index for Vector3::operator[]!\""));

    rec.Clear();
    Vector4<float> c(1.0f, 2.0f, 3.0f, 4.0f);
    c[2] = 7.0f;
    EXPECT_FLOAT_EQ(7.0f, c.z);
    EXPECT_TRUE(rec.Failures().empty());
    c[9] = 5.0f;
    EXPECT_TRUE(rec.Saw("i < 4 && \"Error: Invalid index for Vector4::operator[]!\""));
    ExpectNear(c, 1, 2, 7, 5);
}

TEST(Vector, NormalizingZeroIsReportedAndKeepsZero)
{
    AssertRecorder rec;
    Vector3<float> v = Vector3<float>::ZERO;
    v.Normalize();
    EXPECT_TRUE(rec.Saw("LengthSqr() && \"Error: Vector3::Normalize called for a zero vector!\""));
    ExpectNear(v, 0, 0, 0);
    rec.Clear();
    ExpectNear(Vector3<float>::ZERO.Normalized(), 0, 0, 0);
    EXPECT_EQ(1u, rec.Failures().size());
}

TEST(Matrix, StorageIsColumnMajorFromRowOrderConstructor)
{
    const Matrix44<float> m(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16);
    const float* p = m.Ptr();
    EXPECT_EQ(5.0f, p[1]);
    EXPECT_EQ(13.0f, p[3]);
    EXPECT_EQ(4.0f, p[12]);
    EXPECT_EQ(12.0f, p[14]);
    EXPECT_EQ(2.0f, m[1][0]); // column 1, row 0

    Matrix44<float> t;
    t.MakeTranslation(7, 8, 9);
    ExpectNear(Vector3<float>(t.Ptr()[12], t.Ptr()[13], t.Ptr()[14]), 7, 8, 9, 0.0f);

    const Matrix33<float> n(1, 2, 3, 4, 5, 6, 7, 8, 9);
    EXPECT_EQ(4.0f, n.Ptr()[1]);
    EXPECT_EQ(3.0f, n.Ptr()[6]);
    EXPECT_EQ(8.0f, n[1][2]);

    Matrix44<float> tr;
    tr.SetTransposeOf(m);
    EXPECT_EQ(2.0f, At(tr, 1, 0));
    EXPECT_EQ(13.0f, At(tr, 0, 3));
    tr.SetTransposeOf(tr);
    ExpectNear(tr, m, 0.0f);
}

TEST(Matrix, ProductsApplyTheRightOperandFirst)
{
    Matrix44<float> T, S;
    T.MakeTranslation(1, 0, 0);
    S.MakeScale(2, 3, 4);
    const Vector4<float> p(1, 1, 1, 1);
    ExpectNear((T * S) * p, 3, 3, 4, 1);
    ExpectNear((S * T) * p, 4, 3, 4, 1);
    ExpectNear(T * Vector4<float>(1, 1, 1, 0), 1, 1, 1, 0); // directions ignore translation
    ExpectNear(T.Rotate(Vector3<float>(1, 1, 1)), 1, 1, 1);

    Matrix44<float> inPlace;
    inPlace.Multiply(T, S);
    ExpectNear(inPlace, T * S, 0.0f);
    Matrix44<float> acc = T;
    acc = acc * S; // the operator builds a temporary, so the target may be an operand
    ExpectNear(acc, T * S, 0.0f);

    // 3x3: rotX(90) first takes Y to Z, which rotZ(90) keeps.
    Matrix33<float> rx, rz;
    rx.MakeAxisAngle(Vector3<float>::UNIT_X, kPi / 2.0f);
    rz.MakeAxisAngle(Vector3<float>::UNIT_Z, kPi / 2.0f);
    ExpectNear((rz * rx) * Vector3<float>::UNIT_Y, 0, 0, 1);
    ExpectNear((rx * rz) * Vector3<float>::UNIT_Y, -1, 0, 0); // rotZ first: Y to -X
    Matrix33<float> m3;
    m3.Multiply(rz, rx);
    ExpectNear(m3, rz * rx, 0.0f);
    ExpectNear((rz * 2.0f) * Vector3<float>::UNIT_X, 0, 2, 0);
}

TEST(Matrix, RotationBetweenTurnsOnlyClearlySeparatedVectors)
{
    Matrix33<float> r, expected;
    r.MakeRotationBetween(Vector3<float>::UNIT_X, Vector3<float>::UNIT_Y);
    expected.MakeAxisAngle(Vector3<float>::UNIT_Z, kPi / 2.0f);
    ExpectNear(r, expected);

    // dot 0.9 is still turned, onto the target.
    const Vector3<float> to(0.9f, std::sqrt(1.0f - 0.81f), 0.0f);
    r.MakeRotationBetween(Vector3<float>::UNIT_X, to);
    ExpectNear(r * Vector3<float>::UNIT_X, to.x, to.y, to.z);

    // Beyond |dot| 0.95, parallel or opposite, the identity.
    r.MakeRotationBetween(Vector3<float>::UNIT_X, -Vector3<float>::UNIT_X);
    ExpectNear(r, Matrix33<float>::IDENTITY, 0.0f);
    r.MakeRotationBetween(Vector3<float>::UNIT_X, Vector3<float>(0.96f, std::sqrt(1.0f - 0.9216f), 0.0f));
    ExpectNear(r, Matrix33<float>::IDENTITY, 0.0f);
}

TEST(MatrixBuilders, ProjectionElements)
{
    const Matrix44<float> p = Vorm::MakePerspective(90.0f, 1.0f, 1.0f, 3.0f);
    EXPECT_NEAR(1.0f, At(p, 0, 0), kEps);
    EXPECT_NEAR(1.0f, At(p, 1, 1), kEps);
    EXPECT_FLOAT_EQ(-2.0f, At(p, 2, 2));
    EXPECT_FLOAT_EQ(-3.0f, At(p, 2, 3));
    EXPECT_FLOAT_EQ(-1.0f, At(p, 3, 2));
    EXPECT_EQ(0.0f, At(p, 3, 3));
    // Same frustum given by its bounds; halving the aspect doubles (0,0).
    ExpectNear(Vorm::MakeFrustum(-1, 1, -1, 1, 1, 3), p);
    EXPECT_NEAR(2.0f, At(Vorm::MakePerspective(90.0f, 0.5f, 1.0f, 3.0f), 0, 0), kEps);

    // Near corner to NDC (1, 1, -1), far centre to depth +1; off-centre bounds shift x.
    const Matrix44<float> f = Vorm::MakeFrustum(0, 2, -1, 1, 1, 3);
    const Vector4<float> c = f * Vector4<float>(2, 1, -1, 1);
    ExpectNear(Vector3<float>(c.x / c.w, c.y / c.w, c.z / c.w), 1, 1, -1);
    const Vector4<float> far = f * Vector4<float>(0, 0, -3, 1);
    EXPECT_NEAR(1.0f, far.z / far.w, kEps);

    const Matrix44<float> o = Vorm::MakeOrthographic(0, 4, -1, 3, 1, 3);
    ExpectNear(o * Vector4<float>(4, 3, -1, 1), 1, 1, -1, 1);
    ExpectNear(o * Vector4<float>(0, -1, -3, 1), -1, -1, 1, 1);
    ExpectNear(Vorm::MakeOrthographicSize(4, 2, 1, 3), Vorm::MakeOrthographic(-2, 2, -1, 1, 1, 3));
}

TEST(MatrixBuilders, ReflectionAndShadowTexture)
{
    // Mirror about y = 2 (normal (0,1,0), d = -2).
    const Matrix44<float> r = Vorm::MakeReflectionMatrix(Vorm::Plane(Vector3<float>::UNIT_Y, -2.0f, false));
    ExpectNear(r * Vector4<float>(1, 5, 3, 1), 1, -1, 3, 1);
    ExpectNear(r * Vector4<float>(0, 1, 0, 0), 0, -1, 0, 0);

    const Matrix44<float> s = Vorm::MakeShadowTextureMatrix(Matrix44<float>::IDENTITY);
    ExpectNear(s * Vector4<float>(-1, -1, -1, 1), 0, 0, 0, 1);
    ExpectNear(s * Vector4<float>(1, 1, 1, 1), 1, 1, 1, 1);
    // The light matrix is applied before the bias.
    Matrix44<float> scale;
    scale.MakeScale(0.5f, 0.5f, 0.5f);
    ExpectNear(Vorm::MakeShadowTextureMatrix(scale) * Vector4<float>(2, -2, 0, 1), 1, 0, 0.5f, 1);
}

TEST(Plane, ConstructionKeepsDWhenNormalising)
{
    const Vorm::Plane def;
    ExpectNear(def.GetNormal(), 0, 0, 0);
    EXPECT_EQ(0.0f, def.GetD());

    const Vorm::Plane p(Vector3<float>(0, 2, 0), Vector3<float>(0, 3, 0), true);
    ExpectNear(p.GetNormal(), 0, 1, 0);
    EXPECT_FLOAT_EQ(-6.0f, p.GetD());
    const Vorm::Plane raw(Vector3<float>(0, 2, 0), Vector3<float>(0, 3, 0), false);
    ExpectNear(raw.GetNormal(), 0, 2, 0);
    EXPECT_FLOAT_EQ(-6.0f, raw.GetD());
    const Vorm::Plane nd(Vector3<float>(0, 0, 4), 5.0f, true);
    ExpectNear(nd.GetNormal(), 0, 0, 1);
    EXPECT_FLOAT_EQ(5.0f, nd.GetD());

    const Vorm::Plane unit(Vector3<float>::UNIT_Y, Vector3<float>(0, 3, 0), true);
    EXPECT_FLOAT_EQ(2.0f, unit.Distance(Vector3<float>(7, 5, -1)));
    ExpectNear(unit.ProjectPoint(Vector3<float>(7, 5, -1)), 7, 3, -1);
    ExpectNear(unit.GetScaledNormal(), 0, -3, 0);
    ExpectNear(unit.ToVector4(), 0, 1, 0, -3);
}
