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

} // namespace

TEST(BoundingSphereTest, SetFromMinMaxAndTransformBy)
{
    BoundingSphere s;
    s.SetFromMinMax(Vector3<float>(-1, -1, -1), Vector3<float>(1, 1, 1));
    ExpectSphere(s, 0, 0, 0, std::sqrt(3.0f));
    s.SetFromMinMax(Vector3<float>(0, 0, 0), Vector3<float>(6, 0, 8));
    ExpectSphere(s, 3, 0, 4, 5);
    // A flat box still gets radius 0.2.
    s.SetFromMinMax(Vector3<float>(2, 3, 4), Vector3<float>(2, 3, 4));
    ExpectSphere(s, 2, 3, 4, 0.2f);

    // A transform moves the centre only.
    Vorm::Transform t;
    t.SetScale(2.0f);
    t.SetTranslation(1, 2, 3);
    BoundingSphere origin = Sphere(0, 0, 0, 1), off = Sphere(1, 0, 0, 0.5f);
    s.TransformBy(t, &origin);
    ExpectSphere(s, 1, 2, 3, 1);
    s.TransformBy(t, &off);
    ExpectSphere(s, 3, 2, 3, 0.5f);
}

TEST(BoundingSphereTest, MergeEnclosesBoth)
{
    // a, b, then the merged sphere; the last three contain one another.
    const float cases[][12] = {{0, 0, 0, 1, 10, 0, 0, 1, 5, 0, 0, 6},
                               {0, 0, 0, 1, 0, 4, 0, 3, 0, 3, 0, 4},
                               {0, 0, 0, 1, 0, 0, 0, 5, 0, 0, 0, 5},
                               {1, 1, 1, 10, 2, 2, 2, 1, 1, 1, 1, 10},
                               {3, -2, 7, 2, 3, -2, 7, 2, 3, -2, 7, 2}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(&c - cases);
        BoundingSphere a = Sphere(c[0], c[1], c[2], c[3]), b = Sphere(c[4], c[5], c[6], c[7]);
        a.Merge(&b);
        ExpectSphere(a, c[8], c[9], c[10], c[11]);
    }
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
