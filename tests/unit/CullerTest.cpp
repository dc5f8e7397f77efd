#include "Core/Scenegraph/BoundingSphere.h"
#include "Core/Scenegraph/Camera.h"
#include "Core/Scenegraph/Culler.h"
#include "Core/Scenegraph/Geometry.h"
#include "Core/Scenegraph/Node.h"

#include <gtest/gtest.h>

using namespace Vorm;

namespace {

// Camera at the origin looking down -Z: 90 degrees, near 1, far 100, so the
// side planes are x = +-(-z) and y = +-(-z).
class CullerTest : public ::testing::Test
{
protected:
    CullerTest()
    {
        m_camera.SetPerspective(90.0f, 1.0f, 1.0f, 100.0f);
        Node empty;
        m_culler.CollectVisible(empty, &m_camera);
    }

    bool Test(unsigned mask, float x, float y, float z, float r)
    {
        BoundingSphere s;
        s.Set(Vector3<float>(x, y, z), r);
        m_culler.SetPlaneMask(mask);
        return m_culler.IsVisible(&s);
    }

    static void SetBound(Spatial* s, float x, float y, float z, float r)
    {
        static_cast<BoundingSphere*>(s->GetWorldBound())->Set(Vector3<float>(x, y, z), r);
    }

    Camera m_camera;
    Culler m_culler;
};

enum { kLeft = 1, kRight = 2, kTop = 4, kBottom = 8, kNear = 16, kFar = 32 };

} // namespace

TEST_F(CullerTest, PlaneMaskNarrowsToTheCrossedPlanes)
{
    // A plane is crossed while |d| < r: touching it from inside clears its bit, from outside rejects.
    const struct
    {
        unsigned mask;
        float x, y, z, r;
        bool visible;
        unsigned maskAfter;
    } cases[] = {
        {255, 0, 0, -50, 1, true, 255u & ~63u},                     // inside all six
        {255, 0, 0, -3, 2.5f, true, 255u & ~unsigned(kFar)}, // crosses near (d = 2) and the sides (d = 3 / sqrt 2)
        {kRight, 50, 0, -10, 1, false, kRight},              // bit 1 tests the right plane,
        {kLeft, 50, 0, -10, 1, true, 0},                     // bit 0 the left one
        {0, 0, 0, 500, 1, true, 0},                          // untested planes are not looked at
        {kNear, 0, 0, 0, 1, false, kNear},                   // d = -r: outside
        {kNear | kFar, 0, 0, -3, 2, true, 0},                // d = r: inside
        {kNear, 0, 0, -1, 0, true, 0},                       // a point on the plane is inside
        {kLeft | kRight, 50, 0, -10, 1, false, kRight},      // bits cleared before a rejecting plane stay cleared
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(&c - cases);
        EXPECT_EQ(Test(c.mask, c.x, c.y, c.z, c.r), c.visible);
        EXPECT_EQ(m_culler.GetPlaneMask(), c.maskAfter);
    }
}

TEST_F(CullerTest, SubtreesInheritTheMaskButSiblingsDoNot)
{
    Node root;
    Node* group = new Node();
    Geometry* a = new Geometry();
    Geometry* b = new Geometry();
    Geometry* hidden = new Geometry();
    root.AttachChild(group);
    group->AttachChild(a);
    group->AttachChild(b);
    root.AttachChild(hidden);

    // The root crosses only the left plane (x = z at z = -50: d = 0).
    SetBound(&root, -50, 0, -50, 5);
    // The group lies inside every plane, so nothing below it is tested: a
    // is collected although its own sphere is far behind the camera.
    SetBound(group, 0, 0, -50, 5);
    SetBound(a, 0, 0, 1000, 1);
    SetBound(b, 0, 0, -50, 1);
    // The group's clearing of the left bit must not leak to its sibling.
    SetBound(hidden, -200, 0, -50, 1);

    m_culler.CollectVisible(root, &m_camera);
    const std::vector<Geometry*>& list = m_culler.GetVisibleList();
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0], a);
    EXPECT_EQ(list[1], b);

    // A node that fails hides its children, whatever their own spheres.
    SetBound(group, 0, 0, 500, 1);
    SetBound(hidden, 0, 0, -50, 1);
    m_culler.CollectVisible(root, &m_camera);
    ASSERT_EQ(m_culler.GetVisibleList().size(), 1u);
    EXPECT_EQ(m_culler.GetVisibleList()[0], hidden);
}

TEST_F(CullerTest, PassesAreIndependentAndFollowTheCamera)
{
    Node root;
    Geometry* ahead = new Geometry();
    root.AttachChild(ahead);
    static_cast<BoundingSphere*>(ahead->GetLocalBound())->Set(Vector3<float>(0, 0, 0), 1.0f);
    ahead->Local().SetTranslation(0, 0, -20);
    root.Update(0.0f, true);

    m_culler.CollectVisible(root, &m_camera);
    EXPECT_EQ(m_culler.GetVisibleList().size(), 1u);

    // Turned round, the camera sees nothing; the list is replaced.
    m_camera.SetFrame(Vector3<float>(0, 0, 0), Vector3<float>(0, 0, 1), Vector3<float>(0, 1, 0),
                      Vector3<float>(-1, 0, 0));
    m_culler.CollectVisible(root, &m_camera);
    EXPECT_TRUE(m_culler.GetVisibleList().empty());
    EXPECT_EQ(m_culler.GetCamera(), &m_camera);

    // An orthographic camera gets no planes: every sphere crosses the unset
    // planes, so everything is collected.
    Camera ortho;
    ortho.SetOrthographic(-1, 1, 1, -1, 1, 2);
    m_culler.CollectVisible(root, &ortho);
    EXPECT_EQ(m_culler.GetVisibleList().size(), 1u);

    // Without a camera there is no volume to test against: nothing is seen.
    m_culler.CollectVisible(root, nullptr);
    EXPECT_TRUE(m_culler.GetVisibleList().empty());
    EXPECT_EQ(m_culler.GetPlaneMask(), 255u);
}
