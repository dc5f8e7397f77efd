#include "Core/Scenegraph/Camera.h"

#include "CoutCapture.h"
#include "MathExpect.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

using Vorm::Camera;
using Vorm::Frustum;

using MathExpect::ExpectNear;

namespace {

Vector3<float> Transformed(const Matrix44<float>& m, const Vector3<float>& p)
{
    const Vector4<float> r = m * Vector4<float>(p.x, p.y, p.z, 1.0f);
    return Vector3<float>(r.x, r.y, r.z);
}

} // namespace

TEST(CameraTest, DefaultPerspectiveAndOrthographicMatrices)
{
    Camera c;
    ExpectNear(c.GetViewMatrix(), Matrix44<float>::IDENTITY, 0.0f);
    const Matrix44<float>& p = c.GetProjectionMatrix();
    EXPECT_NEAR(p[0].x, 3.1716f, 1e-4f); // 1 / tan 17.5 degrees
    EXPECT_NEAR(p[1].y, 3.1716f, 1e-4f);
    EXPECT_FLOAT_EQ(p[2].z, -1000.1f / 999.9f);
    EXPECT_FLOAT_EQ(p[3].z, -200.0f / 999.9f);
    EXPECT_FLOAT_EQ(p[2].w, -1.0f);
    EXPECT_FLOAT_EQ(p[3].w, 0.0f);

    // The matrix already built is rebuilt after a change.
    c.SetPerspective(90.0f, 2.0f, 1.0f, 100.0f);
    ExpectNear(Vector4<float>(c.GetFrustumLeft(), c.GetFrustumRight(), c.GetFrustumBottom(), c.GetFrustumTop()),
               -2, 2, -1, 1, 1e-6f);
    EXPECT_NEAR(c.GetProjectionMatrix()[0].x, 0.5f, 1e-6f);
    EXPECT_FLOAT_EQ(c.GetProjectionMatrix()[2].z, -101.0f / 99.0f);

    c.SetOrthographic(-10.0f, 10.0f, 10.0f, -10.0f, 1.0f, 10.0f);
    const Matrix44<float>& o = c.GetProjectionMatrix();
    EXPECT_FLOAT_EQ(o[0].x, 0.1f);
    EXPECT_FLOAT_EQ(o[2].z, -2.0f / 9.0f);
    EXPECT_FLOAT_EQ(o[3].z, -11.0f / 9.0f);
    EXPECT_FLOAT_EQ(o[3].w, 1.0f);
}

TEST(CameraTest, ViewMatrixTakesTheFrameToTheEyeAndPrintWritesIt)
{
    Camera c;
    c.LookAt(Vector3<float>(10, 0, 0), Vector3<float>(0, 0, 0), Vector3<float>(0, 1, 0));
    ExpectNear(c.GetDirection(), -1, 0, 0);
    ExpectNear(c.GetRight(), 0, 0, -1);
    ExpectNear(c.GetUp(), 0, 1, 0);
    ExpectNear(Transformed(c.GetViewMatrix(), Vector3<float>(0, 0, 0)), 0, 0, -10);
    ExpectNear(Transformed(c.GetViewMatrix(), Vector3<float>(10, 3, -2)), 2, 3, 0);

    c.SetOrientation(3.1415927f / 2.0f, 0.0f, 0.0f);
    ExpectNear(c.GetDirection(), 1, 0, 0);
    ExpectNear(c.GetRight(), 0, 0, 1);
    c.SetLocation(Vector3<float>(1, 2, 3));
    ExpectNear(Transformed(c.GetViewMatrix(), Vector3<float>(1, 2, 8)), 5, 0, 0);

    c.SetFrame(Vector3<float>(1.5f, -2, 3), Vector3<float>(0, 0, -1), Vector3<float>(0, 1, 0),
               Vector3<float>(1, 0, 0));
    CoutCapture out;
    c.Print();
    EXPECT_EQ(out.Text(), std::string(70, '-') + "\n"
                             "loc: 1.5 , -2 , 3\n"
                             "dir: 0 , 0 , -1\n"
                             "up: 0 , 1 , 0\n"
                             "right: 1 , 0 , 0\n");
}

TEST(CameraTest, FrustumPlanesAndCorners)
{
    Camera c;
    c.SetPerspective(90.0f, 1.0f, 1.0f, 100.0f);
    Frustum f(c.GetFrustum());
    // Frustum frames take right before up.
    f.SetFrame(c.GetLocation(), c.GetDirection(), c.GetRight(), c.GetUp());
    f.UpdatePlanes();
    f.UpdateCorners();

    const float s = 1.0f / std::sqrt(2.0f);
    ExpectNear(f.GetRightPlane().GetNormal(), -s, 0, -s);
    ExpectNear(f.GetLeftPlane().GetNormal(), s, 0, -s);
    ExpectNear(f.GetTopPlane().GetNormal(), 0, -s, -s);
    ExpectNear(f.GetBottomPlane().GetNormal(), 0, s, -s);
    EXPECT_FLOAT_EQ(f.GetNearPlane().GetD(), -1.0f);
    EXPECT_FLOAT_EQ(f.GetFarPlane().GetD(), 100.0f);
    for (unsigned i = 0; i < 6; ++i)
        EXPECT_GT(f.GetPlanes()[i].Distance(Vector3<float>(0, 0, -2)), 0.0f) << "plane " << i;
    EXPECT_LT(f.GetNearPlane().Distance(Vector3<float>(0, 0, 1)), 0.0f);

    const std::vector<Vector3<float> >& k = f.GetCorners();
    ExpectNear(k[0], -1, -1, -1);
    ExpectNear(k[1], -1, 1, -1);
    ExpectNear(k[3], 1, 1, -1);
    ExpectNear(k[6], 100, -100, -100, 1e-3f);

    // A camera never places its own base frustum: its planes stay unset.
    ExpectNear(c.GetFrustum().GetNearPlane().GetNormal(), 0, 0, 0);
    Frustum& base = c.GetFrustum();
    base.UpdatePlanes();
    base.UpdateCorners();
    const Vector3<float> normal = base.GetLeftPlane().GetNormal();
    // An orthographic volume keeps the planes and corners it had.
    c.SetOrthographic(-5, 5, 5, -5, 1, 10);
    base.UpdatePlanes();
    base.UpdateCorners();
    ExpectNear(base.GetLeftPlane().GetNormal(), normal.x, normal.y, normal.z);
    // The base frame looks down +Z.
    ExpectNear(base.GetCorners()[7], 100, 100, 100, 1e-3f);
}
