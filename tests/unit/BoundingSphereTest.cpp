#include "AssertRecorder.h"

#include "Core/Scenegraph/BoundingSphere.h"
#include "Core/Scenegraph/Transform.h"

#include <gtest/gtest.h>

#include <cmath>

using Vorm::BoundingSphere;
using Vorm::BoundingVolume;

namespace {

BoundingSphere Sphere(float x, float y, float z, float r)
{
    BoundingSphere s;
    s.Set(Vector3<float>(x, y, z), r);
    return s;
}

void ExpectSphere(const BoundingVolume& s, float x, float y, float z, float r)
{
    EXPECT_FLOAT_EQ(s.GetCenter().x, x);
    EXPECT_FLOAT_EQ(s.GetCenter().y, y);
    EXPECT_FLOAT_EQ(s.GetCenter().z, z);
    EXPECT_FLOAT_EQ(s.GetRadius(), r);
}

class BoxBound : public BoundingVolume
{
public:
    BoxBound() { m_uKind = 1; }
    void Reserved0(void*) override {}
    void Reserved1(void*) override {}
    void TransformBy(const Vorm::Transform&, const BoundingVolume*) override {}
    void CopyFrom(const BoundingVolume*) override {}
    void Merge(const BoundingVolume*) override {}
};

int g_destroyed = 0;
struct CountingSphere : BoundingSphere
{
    ~CountingSphere() override { ++g_destroyed; }
};

} // namespace

TEST(BoundingSphereTest, SetFromMinMax)
{
    BoundingSphere s;
    ExpectSphere(s, 0, 0, 0, 0);
    s.SetFromMinMax(Vector3<float>(-1, -1, -1), Vector3<float>(1, 1, 1));
    ExpectSphere(s, 0, 0, 0, std::sqrt(3.0f));
    s.SetFromMinMax(Vector3<float>(0, 0, 0), Vector3<float>(6, 0, 8));
    ExpectSphere(s, 3, 0, 4, 5);
    // A flat box still gets radius 0.2.
    s.SetFromMinMax(Vector3<float>(2, 3, 4), Vector3<float>(2, 3, 4));
    ExpectSphere(s, 2, 3, 4, 0.2f);
}

TEST(BoundingSphereTest, MergeEnclosesBoth)
{
    BoundingSphere a = Sphere(0, 0, 0, 1), b = Sphere(10, 0, 0, 1);
    a.Merge(&b);
    ExpectSphere(a, 5, 0, 0, 6);
    BoundingSphere c = Sphere(0, 0, 0, 1), d = Sphere(0, 4, 0, 3);
    c.Merge(&d);
    ExpectSphere(c, 0, 3, 0, 4);
    // Containment either way.
    BoundingSphere small = Sphere(0, 0, 0, 1), big = Sphere(0, 0, 0, 5);
    small.Merge(&big);
    ExpectSphere(small, 0, 0, 0, 5);
    BoundingSphere outer = Sphere(1, 1, 1, 10), inner = Sphere(2, 2, 2, 1);
    outer.Merge(&inner);
    ExpectSphere(outer, 1, 1, 1, 10);
    BoundingSphere same = Sphere(3, -2, 7, 2), twin = Sphere(3, -2, 7, 2);
    same.Merge(&twin);
    ExpectSphere(same, 3, -2, 7, 2);
}

TEST(BoundingSphereTest, TransformByMovesTheCentreOnly)
{
    Vorm::Transform t;
    t.SetScale(2.0f);
    t.SetTranslation(1, 2, 3);
    BoundingSphere origin = Sphere(0, 0, 0, 1), off = Sphere(1, 0, 0, 0.5f), s;
    s.TransformBy(t, &origin);
    ExpectSphere(s, 1, 2, 3, 1);
    s.TransformBy(t, &off);
    ExpectSphere(s, 3, 2, 3, 0.5f);
}

TEST(BoundingSphereTest, OtherKindsAreRejected)
{
    AssertRecorder rec;
    BoxBound box;
    BoundingSphere s = Sphere(1, 2, 3, 4);
    s.Merge(&box);
    s.CopyFrom(&box);
    s.TransformBy(Vorm::Transform(), &box);
    EXPECT_EQ(rec.Failures().size(), 3u);
    EXPECT_TRUE(rec.Saw("false && \"Not Implemented!\""));
    ExpectSphere(s, 1, 2, 3, 4);
}

TEST(BoundingSphereTest, DeletedThroughTheInterfaceAsAWhole)
{
    g_destroyed = 0;
    BoundingVolume* bound = new CountingSphere();
    delete bound;
    EXPECT_EQ(g_destroyed, 1);
}
