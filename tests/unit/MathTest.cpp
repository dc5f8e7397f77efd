#include "Core/Math/Math.h"

#include "AssertRecorder.h"
#include "MathExpect.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace MathExpect;

namespace {

// The constants must be usable before any dynamic initialiser has run.
static_assert(Vector3<float>::ZERO.x == 0.0f && Vector3<float>::UNIT_X.x == 1.0f && Vector3<float>::UNIT_Y.y == 1.0f &&
                  Vector3<float>::UNIT_Z.z == 1.0f && Vector4<float>::ZERO.w == 0.0f, "");
static_assert(Matrix33<float>::IDENTITY[2].z == 1.0f && Matrix33<float>::IDENTITY[2].x == 0.0f &&
                  Matrix44<float>::IDENTITY[3].w == 1.0f && Matrix44<float>::IDENTITY[3].x == 0.0f, "");
static_assert(sizeof(Matrix44<float>) == 16 * sizeof(float), "");

float At(const Matrix44<float>& m, int row, int col) { return m.Ptr()[4 * col + row]; }

} // namespace

TEST(Vector, ArithmeticAndNormalize)
{
    Vector3<float> v(3.0f, 4.0f, 0.0f);
    EXPECT_FLOAT_EQ(5.0f, v.Length());
    ExpectNear(v.Normalized(), 0.6f, 0.8f, 0.0f);
    ExpectNear(v, 3.0f, 4.0f, 0.0f); // Normalized leaves the source alone
    ExpectNear(Vector3<float>(1, 2, 3).Cross(Vector3<float>(4, 5, 6)), -3, 6, -3);
    EXPECT_FLOAT_EQ(32.0f, Vector3<float>(1, 2, 3).Dot(Vector3<float>(4, 5, 6)));
    ExpectNear((Vector3<float>(1, 2, 3) - Vector3<float>(4, 6, 8)) / 2.0f * 3.0f, -4.5f, -6.0f, -7.5f);
    EXPECT_FLOAT_EQ(5.0f, Vector2(3.0f, 4.0f).Length());
    EXPECT_FLOAT_EQ(3.1415927f, Vorm::DegToRad(180.0f));
    EXPECT_FLOAT_EQ(90.0f, Vorm::RadToDeg(kPi / 2.0f));
    EXPECT_FLOAT_EQ(3.0f * kPi / 4.0f, Vorm::Math::Atan2(1.0f, -1.0f));
}

TEST(Vector, MisuseIsReportedAndSurvived)
{
    AssertRecorder rec;
    Vector3<float> v(1.0f, 2.0f, 3.0f);
    EXPECT_FLOAT_EQ(2.0f, v[1]);
    Vector4<float> c(1.0f, 2.0f, 3.0f, 4.0f);
    c[2] = 7.0f;
    EXPECT_TRUE(rec.Failures().empty());
    // A bad index is clamped to the last component.
    EXPECT_FLOAT_EQ(3.0f, v[3]);
    EXPECT_TRUE(rec.Saw("i < 3 && \"Error: Invalid index for Vector3::operator[]!\""));
    c[9] = 5.0f;
    EXPECT_TRUE(rec.Saw("i < 4 && \"Error: Invalid index for Vector4::operator[]!\""));
    ExpectNear(c, 1, 2, 7, 5);

    // A zero vector has no direction: it stays zero.
    rec.Clear();
    Vector3<float> zero = Vector3<float>::ZERO;
    zero.Normalize();
    EXPECT_TRUE(rec.Saw("LengthSqr() && \"Error: Vector3::Normalize called for a zero vector!\""));
    ExpectNear(zero, 0, 0, 0);
    rec.Clear();
    ExpectNear(Vector3<float>::ZERO.Normalized(), 0, 0, 0);
    EXPECT_EQ(1u, rec.Failures().size());
}

TEST(Matrix, StorageIsColumnMajorFromRowOrderConstructor)
{
    const Matrix44<float> m(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16);
    const float storage[16] = {1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15, 4, 8, 12, 16};
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(storage[i], m.Ptr()[i]) << "element " << i;

    const Matrix33<float> n(1, 2, 3, 4, 5, 6, 7, 8, 9);
    EXPECT_EQ(4.0f, n.Ptr()[1]);
    EXPECT_EQ(3.0f, n.Ptr()[6]);

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

    // 3x3: rotX(90) first takes Y to Z, which rotZ(90) keeps; rotZ first takes Y to -X.
    const Matrix33<float> rx = AxisAngleMatrix(Vector3<float>::UNIT_X, kPi / 2.0f);
    const Matrix33<float> rz = AxisAngleMatrix(Vector3<float>::UNIT_Z, kPi / 2.0f);
    ExpectNear((rz * rx) * Vector3<float>::UNIT_Y, 0, 0, 1);
    ExpectNear((rx * rz) * Vector3<float>::UNIT_Y, -1, 0, 0);
    ExpectNear((rz * 2.0f) * Vector3<float>::UNIT_X, 0, 2, 0);
}

TEST(Matrix, RotationBetweenTurnsOnlyClearlySeparatedVectors)
{
    Matrix33<float> r;
    r.MakeRotationBetween(Vector3<float>::UNIT_X, Vector3<float>::UNIT_Y);
    ExpectNear(r, AxisAngleMatrix(Vector3<float>::UNIT_Z, kPi / 2.0f));

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

TEST(MatrixBuilders, ProjectionReflectionAndShadowTexture)
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
    // ToVector4 is (normal, d); every value here is exact.
    ExpectNear(Vorm::Plane().ToVector4(), 0, 0, 0, 0, 0.0f);
    ExpectNear(Vorm::Plane(Vector3<float>(0, 2, 0), Vector3<float>(0, 3, 0), true).ToVector4(), 0, 1, 0, -6, 0.0f);
    ExpectNear(Vorm::Plane(Vector3<float>(0, 2, 0), Vector3<float>(0, 3, 0), false).ToVector4(), 0, 2, 0, -6, 0.0f);
    ExpectNear(Vorm::Plane(Vector3<float>(0, 0, 4), 5.0f, true).ToVector4(), 0, 0, 1, 5, 0.0f);

    const Vorm::Plane unit(Vector3<float>::UNIT_Y, Vector3<float>(0, 3, 0), true);
    EXPECT_FLOAT_EQ(2.0f, unit.Distance(Vector3<float>(7, 5, -1)));
    ExpectNear(unit.ProjectPoint(Vector3<float>(7, 5, -1)), 7, 3, -1);
    ExpectNear(unit.GetScaledNormal(), 0, -3, 0);
}
