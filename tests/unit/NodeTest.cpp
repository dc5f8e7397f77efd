#include "Core/Scenegraph/BoundingSphere.h"
#include "Core/Scenegraph/Camera.h"
#include "Core/Scenegraph/CameraNode.h"
#include "Core/Scenegraph/Culler.h"
#include "Core/Scenegraph/Geometry.h"
#include "Core/Scenegraph/ISceneVisitor.h"
#include "Core/Scenegraph/Node.h"
#include "Core/Scenegraph/TransformController.h"

#include "MathExpect.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace Vorm;

using MathExpect::ExpectNear;

namespace {

Geometry* MakeLeaf(float x, float y, float z, float radius = 1.0f)
{
    Geometry* g = new Geometry();
    static_cast<BoundingSphere*>(g->GetLocalBound())->Set(Vector3<float>(0, 0, 0), radius);
    g->Local().SetTranslation(x, y, z);
    return g;
}

// Key frames at x = 1, 2, 3, times 1, 2, 3.
boost::shared_ptr<TransformController> MakePath()
{
    std::vector<Keyframe> frames;
    for (int i = 1; i <= 3; ++i)
    {
        Transform t;
        t.SetTranslation(static_cast<float>(i), 0, 0);
        frames.push_back(Keyframe(i, t));
    }
    boost::shared_ptr<TransformController> c(new TransformController());
    c->SetKeyframes(frames);
    return c;
}

struct NameVisitor : ISceneVisitor
{
    explicit NameVisitor(bool d) : descend(d) {}
    bool VisitNode(Node* n) override { seen.push_back(n->GetName()); return descend; }
    void VisitGeometry(Geometry* g) override { seen.push_back(g->GetName()); }
    bool descend;
    std::vector<std::string> seen;
};

} // namespace

TEST(NodeTest, TransformsComposeDownAndBoundsMergeUpTheTree)
{
    Node root;
    root.Local().SetTranslation(1, 0, 0);
    Node* arm = new Node();
    Matrix33<float> quarterTurn;
    quarterTurn.MakeAxisAngle(Vector3<float>(0, 0, 1), 3.1415927f / 2.0f);
    arm->Local().SetRotation(quarterTurn);
    arm->Local().SetScale(2.0f);
    arm->Local().SetTranslation(0, 2, 0);
    Geometry* hand = MakeLeaf(3, 0, 0);
    root.AttachChild(arm);
    arm->AttachChild(hand);
    root.Update(0.0f, true);
    ExpectNear(arm->World().GetTranslation(), 1, 2, 0);
    // (3, 0, 0) scaled by 2 and turned a quarter about z is (0, 6, 0).
    ExpectNear(hand->World().GetTranslation(), 1, 8, 0);
    ExpectNear(hand->GetWorldBound()->GetCenter(), 1, 8, 0);

    Node top;
    Node* group = new Node();
    Geometry* right = MakeLeaf(10, 0, 0);
    top.AttachChild(group);
    group->AttachChild(MakeLeaf(-10, 0, 0));
    group->AttachChild(right);
    top.Update(0.0f, true);
    ExpectNear(top.GetWorldBound()->GetCenter(), 0, 0, 0);
    EXPECT_FLOAT_EQ(top.GetWorldBound()->GetRadius(), 11.0f);

    // A leaf updated as initiator refreshes every ancestor.
    right->Local().SetTranslation(30, 0, 0);
    right->Update(0.0f, true);
    ExpectNear(top.GetWorldBound()->GetCenter(), 10, 0, 0);
    EXPECT_FLOAT_EQ(top.GetWorldBound()->GetRadius(), 21.0f);

    // A childless root takes its local transform and keeps its bound.
    Node lone;
    lone.Local().SetTranslation(7, 8, 9);
    static_cast<BoundingSphere*>(lone.GetWorldBound())->Set(Vector3<float>(1, 1, 1), 3.0f);
    lone.Update(0.5f, true);
    ExpectNear(lone.World().GetTranslation(), 7, 8, 9);
    ExpectNear(lone.GetWorldBound()->GetCenter(), 1, 1, 1);
}

TEST(NodeTest, ControllersDriveLeavesAndCameraNodes)
{
    Node root;
    root.SetName("root");
    Geometry* leaf = MakeLeaf(0, 0, 0);
    leaf->SetName("leaf");
    leaf->SetController(MakePath());
    CameraNode* flight = new CameraNode();
    flight->SetController(MakePath());
    root.AttachChild(leaf);
    root.AttachChild(flight);

    // A freshly loaded controller moves on to key frame 1 with the first time
    // that passes.
    leaf->Update(0.001f, true);
    ExpectNear(leaf->Local().GetTranslation(), 2, 0, 0);
    // The root merged the leaf's sphere with the camera node's unset one.
    ExpectNear(root.GetWorldBound()->GetCenter(), 1.5f, 0, 0);
    EXPECT_FLOAT_EQ(root.GetWorldBound()->GetRadius(), 1.5f);

    root.Update(0.001f, true);
    ExpectNear(flight->World().GetTranslation(), 2, 0, 0);
    root.Update(1.0f, true);
    ExpectNear(flight->World().GetTranslation(), 3, 0, 0);

    // The camera node is neither collected nor visited.
    Camera camera;
    camera.SetLocation(Vector3<float>(0, 0, 50));
    Culler culler;
    culler.CollectVisible(root, &camera);
    ASSERT_EQ(culler.GetVisibleList().size(), 1u);
    EXPECT_EQ(culler.GetVisibleList()[0], leaf);
    NameVisitor all(true), none(false);
    root.ApplyVisitor(all);
    root.ApplyVisitor(none);
    EXPECT_EQ(all.seen, (std::vector<std::string>{"root", "leaf"}));
    EXPECT_EQ(none.seen, std::vector<std::string>(1, "root"));
}

TEST(NodeTest, AttachDetachAndSharedOwnership)
{
    Node a, b;
    Geometry* g0 = MakeLeaf(0, 0, 0);
    Geometry* g1 = MakeLeaf(0, 0, 0);
    Geometry* g2 = MakeLeaf(0, 0, 0);
    EXPECT_EQ(a.AttachChild(g0), 0);
    EXPECT_EQ(a.AttachChild(g1), 1);
    EXPECT_EQ(a.AttachChild(g2), 2);

    // Moving a child keeps the same shared object; later children shift.
    boost::shared_ptr<Spatial> held = a.GetChild(1);
    EXPECT_EQ(b.AttachChild(g1), 0);
    EXPECT_EQ(g1->GetParent(), &b);
    EXPECT_EQ(b.GetChild(0), held);
    EXPECT_EQ(held.use_count(), 2);
    EXPECT_EQ(a.GetChild(1).get(), g2);

    const boost::shared_ptr<Spatial> first = a.DetachChild(g0);
    EXPECT_EQ(first.get(), g0);
    EXPECT_EQ(g0->GetParent(), nullptr);
    EXPECT_EQ(a.GetChild(0).get(), g2);
    EXPECT_EQ(a.AttachChild(g0), 1);

    EXPECT_FALSE(a.GetChild(-1));
    EXPECT_FALSE(a.GetChild(2));
    EXPECT_FALSE(a.DetachChild(nullptr));
    EXPECT_FALSE(a.DetachChild(g1));
    EXPECT_EQ(b.GetChildCount(), 1);
    EXPECT_EQ(a.AttachChild(nullptr), -1);
    EXPECT_EQ(a.GetChildCount(), 2);

    // Children shared elsewhere outlive their node safely.
    boost::weak_ptr<Spatial> watch;
    {
        boost::shared_ptr<Spatial> mine;
        {
            Node root;
            root.AttachChild(MakeLeaf(0, 0, 0));
            mine = root.DetachChild(root.GetChild(0).get());
            watch = mine;
            // Attached again from the raw pointer: one shared ownership.
            root.AttachChild(mine.get());
            EXPECT_EQ(mine.use_count(), 2);
        }
        ASSERT_FALSE(watch.expired());
        EXPECT_EQ(mine->GetParent(), nullptr);
    }
    EXPECT_TRUE(watch.expired());
}
