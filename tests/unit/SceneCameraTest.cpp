#include "Core/Input/InputMngr.h"
#include "Core/Scenegraph/AnimatedCamera.h"
#include "Core/Scenegraph/SceneCamera.h"
#include "Core/Scenegraph/TransformController.h"

#include "MathExpect.h"
#include "StubInputSource.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using namespace Vorm;

namespace {

void ExpectVec(const Vector3<float>& v, float x, float y, float z)
{
    MathExpect::ExpectNear(v, x, y, z, 1e-4f);
}

const unsigned kLeft = VormInput::eMouseButton_LEFT;
const unsigned kMiddle = VormInput::eMouseButton_MIDDLE;
const unsigned kAlt = VormInput::eModifier_ALT;

class SceneCameraTest : public ::testing::Test
{
protected:
    SceneCameraTest()
    {
        m_input.SetInputSource(&m_source);
        Frame(500, 300, 0, 0);
    }

    // One frame: the mouse state, then the camera's update.
    void Frame(int x, int y, unsigned buttons, unsigned modifiers, int wheel = 0)
    {
        VormInput::MouseState* s = m_source.GetMouseState();
        s->position.x = static_cast<std::uint16_t>(x);
        s->position.y = static_cast<std::uint16_t>(y);
        s->buttons = buttons;
        s->modifiers = modifiers;
        s->wheel = wheel;
        m_camera.Update();
    }

    CameraController& Orbit() { return m_camera.GetController(); }

    StubInputSource m_source;
    InputMngr m_input;
    SceneCamera m_camera;
};

} // namespace

TEST_F(SceneCameraTest, StartsOnTheOrbitAndLeftDragTurnsAboutTheCentre)
{
    ExpectVec(m_camera.GetLocation(), 0, 0, 10);
    ExpectVec(m_camera.GetDirection(), 0, 0, -1);
    ExpectVec(m_camera.GetRight(), 1, 0, 0);

    Frame(510, 300, kLeft, kAlt);
    EXPECT_FLOAT_EQ(Orbit().GetYaw(), 0.1f);
    EXPECT_FLOAT_EQ(Orbit().GetPitch(), 0.0f);
    ExpectVec(m_camera.GetLocation(), -10.0f * std::sin(0.1f), 0, 10.0f * std::cos(0.1f));
    ExpectVec(m_camera.GetDirection(), std::sin(0.1f), 0, -std::cos(0.1f));
    // Moving up tilts up.
    Frame(510, 280, kLeft, kAlt);
    EXPECT_FLOAT_EQ(Orbit().GetPitch(), 0.2f);
}

TEST_F(SceneCameraTest, DollyPanWheelAndNoJumps)
{
    // Left and middle together dolly by (dy - dx) / 10 and nothing else.
    Frame(500, 320, kLeft | kMiddle, kAlt, 120);
    EXPECT_FLOAT_EQ(Orbit().GetDistance(), 12.0f);
    EXPECT_FLOAT_EQ(Orbit().GetYaw(), 0.0f);
    Frame(510, 310, kMiddle, kAlt);
    EXPECT_FLOAT_EQ(Orbit().GetPanX(), -1.0f);
    EXPECT_FLOAT_EQ(Orbit().GetPanY(), -1.0f);
    ExpectVec(m_camera.GetLocation(), -1, -1, 12);
    Frame(510, 310, 0, kAlt, 120);
    EXPECT_FLOAT_EQ(Orbit().GetDistance(), 14.4f);

    // Without Alt only the mouse is tracked: no jump when Alt comes.
    Frame(700, 100, kLeft | kMiddle, 0, 120);
    Frame(700, 100, kLeft, kAlt);
    EXPECT_FLOAT_EQ(Orbit().GetDistance(), 14.4f);
    EXPECT_FLOAT_EQ(Orbit().GetYaw(), 0.0f);

    // A fresh controller's first update only starts tracking the mouse.
    SceneCamera other;
    Frame(900, 700, kLeft, kAlt);
    other.Update();
    EXPECT_FLOAT_EQ(other.GetController().GetYaw(), 0.0f);
    ExpectVec(other.GetLocation(), 0, 0, 10);
}

// Placed at a pose, the camera stands there looking that way, level (its
// right axis horizontal), with the orbit centre on its line of sight where
// that passes nearest the origin, in front of it or behind.
TEST_F(SceneCameraTest, LookFromPlacesTheCameraAtAPoseWithoutRoll)
{
    struct Pose { Vector3<float> location, direction; };
    const std::vector<Pose> poses = {
        {{0, 0, 10}, {0, 0, -1}},      // the start pose
        {{40, 12, -25}, {-3, -1, 2}},  // looking down across the origin
        {{-7, 2, 3}, {0.2f, 0.1f, 1}}, // looking away from it
        {{5, 30, 5}, {0, -1, 0}},      // straight down
    };
    for (const Pose& pose : poses) {
        SCOPED_TRACE(::testing::PrintToString(std::vector<float>{pose.location.x, pose.location.y, pose.location.z}));
        Orbit().LookFrom(pose.location, pose.direction);
        MathExpect::ExpectNear(m_camera.GetLocation(), pose.location, 1e-4f);
        MathExpect::ExpectNear(m_camera.GetDirection(), pose.direction.Normalized(), 1e-5f);
        EXPECT_NEAR(0.0f, m_camera.GetRight().y, 1e-5f);

        const Vector3<float> centre = m_camera.GetLocation() + m_camera.GetDirection() * Orbit().GetDistance();
        EXPECT_NEAR(0.0f, centre.Dot(m_camera.GetDirection()), 1e-3f);
    }
}

TEST(AnimatedCameraTest, FollowsTheCurrentKeyFrame)
{
    AnimatedCamera camera;
    camera.Update(0.1f); // no controller yet: defaults kept
    ExpectVec(camera.GetDirection(), 0, 0, -1);

    Transform still, turned;
    still.SetTranslation(1, 2, 3);
    Matrix33<float> r;
    r.MakeAxisAngle(Vector3<float>(0, 1, 0), 3.1415927f / 2.0f);
    turned.SetRotation(r);
    boost::shared_ptr<TransformController> controller(new TransformController());
    controller->SetKeyframes({Keyframe(1.0, still), Keyframe(2.0, turned)});
    controller->Reset();
    camera.SetController(controller);

    camera.Update(5.0f);
    ExpectVec(camera.GetLocation(), 1, 2, 3);
    ExpectVec(camera.GetDirection(), 0, 0, -1);
    ExpectVec(camera.GetUp(), 0, 1, 0);
    ExpectVec(camera.GetRight(), 1, 0, 0);
    // The node's update advances the controller, not the camera.
    controller->Update(1.0);
    camera.Update(0.0f);
    ExpectVec(camera.GetLocation(), 0, 0, 0);
    ExpectVec(camera.GetDirection(), -1, 0, 0);
    ExpectVec(camera.GetRight(), 0, 0, -1);
}
