#include "AssertRecorder.h"
#include "CoutCapture.h"
#include "MathExpect.h"
#include "RecordingRenderer.h"
#include "ScopedWorkingDir.h"
#include "StubApp.h"
#include "StubInputSource.h"
#include "Verdmoor.h"

#include "Core/Input/InputMngr.h"
#include "Core/Scenegraph/BoundingVolume.h"
#include "Core/Scenegraph/Light.h"
#include "Core/Scenegraph/Model.h"
#include "Core/Terrain/base/Terrain.h"
#include "Core/Util/QuitRequest.h"
#include "Platform/Win32Window.h"
#include "RenderGL/effects/GLWaterEffect.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

namespace {

using VormInput::eKey;

const eKey kLowerL = static_cast<eKey>('l');
const eKey kUpperL = static_cast<eKey>('L');

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

Vector3<float> OrbitDirection(float a)
{
    Vector3<float> d(std::sin(a), -1.0f, std::cos(a));
    d.Normalize();
    return d;
}

// Quit requests waiting in the frame's message queue, by their code.
std::vector<int> TakeQuitCodes()
{
    std::vector<int> codes;
    Win32::MSG msg = {};
    while (Win32::PeekMessageW(&msg, nullptr, 0, 0, Win32::PM_REMOVE))
        if (msg.message == Win32::WM_QUIT)
            codes.push_back(static_cast<int>(msg.wParam));
    return codes;
}

// The demo on the recording renderer, with keys the test holds down. No
// scene is set up: the keys work all the same, the frame does nothing.
class VerdmoorTest : public ::testing::Test
{
protected:
    VerdmoorTest() : m_demo(Verdmoor::eScene_World) { m_input.SetInputSource(&m_keys); }

    // One update with exactly these keys down; returns what it printed.
    std::vector<std::string> UpdateWith(std::initializer_list<eKey> keys, float dt = 0.0f)
    {
        m_keys.ReleaseAll();
        for (eKey key : keys)
            m_keys.Press(key);
        CoutCapture out;
        m_demo.Update(dt);
        return Lines(out.Text());
    }
    // Lets the key lock run out.
    void Unlock() { UpdateWith({}, 0.5f); }

    Vorm::Light& Light0() { return *m_renderer.GetLights()[0]; }

    RecordingRenderer m_renderer;
    StubApp m_app;
    StubInputSource m_keys;
    Vorm::InputMngr m_input;
    Verdmoor m_demo;
};

TEST_F(VerdmoorTest, AllKeysInOnePassActInTableOrderWithTheirMessages)
{
    // 'l' comes before Left: the orbit (off before any set-up) goes on, so Left does nothing.
    const std::vector<std::string> lines =
        UpdateWith({VormInput::eKey_LEFT, kLowerL, VormInput::eKey_F5, VormInput::eKey_F1, VormInput::eKey_BACKSPACE,
                    VormInput::eKey_SPACE, VormInput::eKey_F3, VormInput::eKey_F2, VormInput::eKey_F4});
    const std::vector<std::string> expected = {
        "Draw Animated Camera? 0", "Scene Camera active. ", "Animated Camera active. ", "Is animation playing? 0",
        "Stop Animation. ",        "Is Wireframe mode? 1",  "Is sound playing? 0"};
    EXPECT_EQ(expected, lines);

    EXPECT_TRUE(m_demo.IsAnimatedCameraActive());
    EXPECT_EQ(m_demo.GetAnimatedCamera(), m_renderer.GetCamera());
    EXPECT_FALSE(m_demo.IsAnimationPlaying());
    EXPECT_TRUE(m_demo.IsWireframe());
    EXPECT_FALSE(m_demo.IsSoundOn());
    EXPECT_TRUE(m_demo.IsLightOrbiting());
    EXPECT_EQ(0.0f, m_demo.GetLightAngle());
    EXPECT_EQ(0.5f, m_demo.GetKeyLock());
    EXPECT_EQ(std::vector<std::string>{"SetPolygonMode 3"}, m_renderer.Find("SetPolygonMode"));
}

TEST_F(VerdmoorTest, CamerasSwitchAndTheAnimatedCameraIsDrawnOnlyFromTheSceneCamera)
{
    EXPECT_EQ((std::vector<std::string>{"Draw Animated Camera? 0"}), UpdateWith({VormInput::eKey_F4}));
    Unlock();
    EXPECT_EQ((std::vector<std::string>{"Scene Camera active. "}), UpdateWith({VormInput::eKey_F2}));
    EXPECT_EQ(m_demo.GetSceneCamera(), m_renderer.GetCamera());
    Unlock();
    EXPECT_EQ((std::vector<std::string>{"Draw Animated Camera? 1"}), UpdateWith({VormInput::eKey_F4}));
    Unlock();
    // F2 and F3 together: F2 first, so the animated camera ends active and undrawn.
    EXPECT_EQ((std::vector<std::string>{"Scene Camera active. ", "Animated Camera active. "}),
              UpdateWith({VormInput::eKey_F2, VormInput::eKey_F3}));
    EXPECT_EQ(m_demo.GetAnimatedCamera(), m_renderer.GetCamera());
    EXPECT_TRUE(m_demo.IsAnimatedCameraActive());
    EXPECT_FALSE(m_demo.IsDrawingAnimatedCamera());
}

TEST_F(VerdmoorTest, AHeldKeyActsOncePerHalfSecondOfUpdateTime)
{
    // dt of 1/8 s: the lock of 0.5 s runs out on the fourth update after a toggle.
    std::vector<std::string> all;
    for (int i = 0; i < 9; ++i)
        for (const std::string& line : UpdateWith({VormInput::eKey_F1}, 0.125f))
            all.push_back(std::to_string(i) + " " + line);
    EXPECT_EQ((std::vector<std::string>{"0 Is Wireframe mode? 1", "4 Is Wireframe mode? 0", "8 Is Wireframe mode? 1"}),
              all);

    // The lock runs down while the animation is paused, too.
    Unlock();
    UpdateWith({VormInput::eKey_SPACE});
    EXPECT_FALSE(m_demo.IsAnimationPlaying());
    UpdateWith({}, 0.2f);
    EXPECT_FLOAT_EQ(0.3f, m_demo.GetKeyLock());
    // A lock never goes below zero.
    UpdateWith({}, 5.0f);
    EXPECT_EQ(0.0f, m_demo.GetKeyLock());
}

TEST_F(VerdmoorTest, EscapeAloneSetsNoLockAndPrintsNothing)
{
    EXPECT_TRUE(UpdateWith({VormInput::eKey_ESCAPE}).empty());
    EXPECT_EQ(0.0f, m_demo.GetKeyLock());
    // With another key the lock is set by that key.
    UpdateWith({VormInput::eKey_ESCAPE, VormInput::eKey_F1});
    EXPECT_EQ(0.5f, m_demo.GetKeyLock());
    // Nothing else happened to the renderer than the F1 polygon mode.
    EXPECT_EQ((std::vector<std::string>{"SetPolygonMode 3"}), m_renderer.Log());
}

TEST_F(VerdmoorTest, LeftTurnsTheLightOnlyWithTheOrbitOffAndWrapsAfter648)
{
    UpdateWith({kLowerL}); // on
    Unlock();
    ASSERT_TRUE(m_demo.IsLightOrbiting());
    UpdateWith({VormInput::eKey_LEFT});
    EXPECT_EQ(0.0f, m_demo.GetLightAngle());
    EXPECT_EQ(0.0f, m_demo.GetKeyLock()) << "Left with the orbit on is not handled";

    // Upper-case L is another key.
    UpdateWith({kUpperL});
    EXPECT_TRUE(m_demo.IsLightOrbiting());
    UpdateWith({kLowerL}); // off
    Unlock();
    ASSERT_FALSE(m_demo.IsLightOrbiting());

    float before = m_demo.GetLightAngle();
    int presses = 0;
    while (presses < 100) {
        UpdateWith({VormInput::eKey_LEFT});
        ++presses;
        // The direction comes from the angle before the turn.
        MathExpect::ExpectNear(Light0().GetDirection(), OrbitDirection(before), 1e-5f);
        const float after = m_demo.GetLightAngle();
        if (after == 0.0f) {
            EXPECT_GT(before + 0.1f, 6.48f);
            break;
        }
        EXPECT_NEAR(before + 0.1f, after, 1e-5f);
        before = after;
        Unlock();
    }
    EXPECT_EQ(65, presses);
}

TEST_F(VerdmoorTest, AFailedSetUpSaysWhatIsMissingAndEndsTheProgram)
{
    TakeQuitCodes();
    m_renderer.MarkMissing("SkyboxEffect.glslfx");
    CoutCapture out;
    EXPECT_FALSE(m_demo.LoadWorldScene());
    EXPECT_EQ((std::vector<std::string>{"Cannot set up the scene: ../data/effects/SkyboxEffect.glslfx: cannot open."}),
              Lines(out.Text()));
    EXPECT_EQ(std::vector<int>{1}, TakeQuitCodes());
    EXPECT_FALSE(m_demo.IsSceneReady());
}

TEST_F(VerdmoorTest, AQuitDuringTheSetUpStopsItWithoutAWord)
{
    TakeQuitCodes();
    // Pending from the first question on: the set-up stops before the
    // effects, whose programs then are never asked for.
    Vorm::QuitRequest::Register([] { return true; });
    CoutCapture out;
    const bool set = m_demo.LoadWorldScene();
    Vorm::QuitRequest::Register(nullptr);
    EXPECT_FALSE(set);
    EXPECT_EQ("", out.Text());
    EXPECT_TRUE(m_renderer.Find("CreateApiEffect").empty());
    EXPECT_TRUE(m_renderer.Find("CreateMaterialApiEffect").empty());
    EXPECT_TRUE(TakeQuitCodes().empty());
    EXPECT_FALSE(m_demo.IsSceneReady());
}

// The real scene files read on the recording renderer, from a folder beside
// data/. The recording programs have no uniforms: the effects' reports of
// that are recorded, not fatal.
class VerdmoorSceneTest : public VerdmoorTest
{
protected:
    VerdmoorSceneTest() : m_bin(VORM_SOURCE_DIR "/bin") {}

    ScopedWorkingDir m_bin;
    AssertRecorder m_asserts;
};

TEST_F(VerdmoorSceneTest, Nature1TakesOutTheFlightAndTheWaterAndCastsWithTwelveChildren)
{
    ASSERT_TRUE(m_bin.Ok());
    {
        CoutCapture out;
        ASSERT_TRUE(m_demo.LoadNature1Scene()) << out.Text();
    }
    EXPECT_EQ(2, m_demo.GetSceneKind());
    EXPECT_EQ(12u, m_demo.GetShadowCasters().size());
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(m_demo.GetSceneRoot()->GetChild(i).get(), m_demo.GetShadowCasters()[i]);
    EXPECT_FALSE(m_demo.GetTerrain());
    EXPECT_EQ(m_demo.GetAnimatedCamera(), m_renderer.GetCamera());
    EXPECT_TRUE(m_demo.IsLightOrbiting());

    // F6 replaces it by the world scene.
    {
        CoutCapture out;
        UpdateWith({VormInput::eKey_F6});
    }
    EXPECT_EQ(1, m_demo.GetSceneKind());
    EXPECT_TRUE(m_demo.GetTerrain());
    EXPECT_TRUE(m_demo.GetShadowCasters().empty());
    EXPECT_TRUE(m_demo.IsSceneReady());
}

// A set-up (the first, F6, F7) in a window resized to 1500 x 800 since the
// start gives both cameras that window's aspect.
TEST_F(VerdmoorSceneTest, ASetUpGivesBothCamerasTheWindowsAspect)
{
    ASSERT_TRUE(m_bin.Ok());
    const std::vector<std::pair<const char*, std::function<void()>>> setUps = {
        {"Nature1", [this] { m_demo.LoadNature1Scene(); }},
        {"F6", [this] { UpdateWith({VormInput::eKey_F6}); }},
        {"F7", [this] { UpdateWith({VormInput::eKey_F7}); }},
    };
    int size = 0;
    for (const auto& setUp : setUps) {
        SCOPED_TRACE(setUp.first);
        const int width = 1500 - 100 * size++, height = 800;
        m_app.Window().SetPosition(0, 0, width, height);
        Unlock();
        CoutCapture out;
        setUp.second();
        ASSERT_TRUE(m_demo.IsSceneReady()) << out.Text();
        EXPECT_FLOAT_EQ(float(width) / height, m_demo.GetAnimatedCamera()->GetAspect());
        EXPECT_FLOAT_EQ(float(width) / height, m_demo.GetSceneCamera()->GetAspect());
    }
}

// F2 from the flight: the scene camera starts where the flying camera stands
// and looks where it looks; F2 again while it is in use leaves it be.
TEST_F(VerdmoorSceneTest, TheSceneCameraStartsWhereTheFlyingCameraStands)
{
    ASSERT_TRUE(m_bin.Ok());
    {
        CoutCapture out;
        ASSERT_TRUE(m_demo.LoadNature1Scene()) << out.Text();
    }
    for (int i = 0; i < 20; ++i)
        UpdateWith({}, 0.5f);
    const Vorm::Camera& flying = *m_demo.GetAnimatedCamera();
    const Vorm::Camera& scene = *m_demo.GetSceneCamera();
    UpdateWith({VormInput::eKey_F2});
    MathExpect::ExpectNear(flying.GetLocation(), scene.GetLocation(), 1e-3f);
    MathExpect::ExpectNear(flying.GetDirection(), scene.GetDirection(), 1e-5f);
    EXPECT_EQ(&scene, m_renderer.GetCamera());

    const Vector3<float> at = scene.GetLocation();
    UpdateWith({}, 0.5f);
    UpdateWith({VormInput::eKey_F2});
    MathExpect::ExpectNear(at, scene.GetLocation(), 0.0f);
}

// The frame's passes in the order the program draws them: the tests and the
// benchmark draw this list too.
TEST_F(VerdmoorSceneTest, TheFrameIsOneListOfPassesAndOnlyTheWorldHasTerrainAndGrass)
{
    ASSERT_TRUE(m_bin.Ok());
    const auto names = [this] {
        std::vector<std::string> list;
        for (const Verdmoor::Pass& pass : m_demo.GetPasses())
            list.push_back(pass.name);
        return list;
    };
    CoutCapture out;
    ASSERT_TRUE(m_demo.LoadNature1Scene()) << out.Text();
    EXPECT_EQ((std::vector<std::string>{"camera", "shadow_maps", "clear", "scene_meshes", "sky", "water", "models"}),
              names());
    ASSERT_TRUE(m_demo.LoadWorldScene()) << out.Text();
    EXPECT_EQ((std::vector<std::string>{"camera", "shadow_maps", "clear", "scene_meshes", "terrain_cells", "grass",
                                        "sky", "water", "models"}),
              names());
}

// The world flight, key frame by key frame: nothing of the scene comes nearer
// than the near plane, the ground and the water stay below everything the
// camera sees up to it, and the loop goes on from its last key frame to its
// first as smoothly as anywhere else.
TEST_F(VerdmoorSceneTest, TheWorldFlightClearsTheGroundAndEveryMeshAndJoinsItsLoop)
{
    ASSERT_TRUE(m_bin.Ok());
    {
        CoutCapture out;
        ASSERT_TRUE(m_demo.LoadWorldScene()) << out.Text();
    }
    const Vorm::Terrain& terrain = *m_demo.GetTerrain();
    auto groundAt = [&](float x, float z) {
        const float u = std::min(std::max(x / 600.0f + 0.5f, 0.0f), 1.0f);
        const float v = std::min(std::max(z / 600.0f + 0.5f, 0.0f), 1.0f);
        return std::max(terrain.GetHeightAt(u, v), 0.0f);
    };
    // Every mesh but the water (child 0), which the ground test covers.
    const boost::shared_ptr<Vorm::Model> root = m_demo.GetSceneRoot();
    ASSERT_GT(root->GetChildCount(), 20);
    Vorm::Camera& camera = *m_demo.GetAnimatedCamera();
    const float nearPlane = camera.GetNear(), top = camera.GetFrustumTop(), right = camera.GetFrustumRight();
    ASSERT_EQ(20.0f, nearPlane);

    // The key frames lie 1/30 s apart: after half that, each update of 1/30 s
    // moves the flight on by one key frame, halfway between two key frames'
    // times. It starts on key frame 0, so the last step goes from the last key
    // frame to the first.
    const float spacing = 1.0f / 30.0f;
    const Vector3<float> start = camera.GetLocation();
    Vector3<float> eye = start, look = camera.GetDirection();
    std::vector<float> steps, turns;
    float dt = spacing / 2.0f;
    do {
        UpdateWith({}, dt);
        dt = spacing;
        const Vector3<float> nextEye = camera.GetLocation(), nextLook = camera.GetDirection();
        steps.push_back((nextEye - eye).Length());
        turns.push_back(std::acos(std::min(nextLook.Dot(look), 1.0f)));
        eye = nextEye;
        look = nextLook;
        for (int c = 1; c < root->GetChildCount(); ++c) {
            const Vorm::BoundingVolume& bound = *root->GetChild(c)->GetWorldBound();
            ASSERT_GE((bound.GetCenter() - eye).Length() - bound.GetRadius(), nearPlane)
                << "child " << c << " at key frame " << steps.size();
        }
        for (float depth = 0.25f; depth <= 1.0f; depth += 0.25f)
            for (float sx = -1.0f; sx <= 1.0f; sx += 1.0f)
                for (float sy = -1.0f; sy <= 1.0f; sy += 1.0f) {
                    const Vector3<float> p = eye + (look + camera.GetRight() * (sx * right / nearPlane) +
                                                    camera.GetUp() * (sy * top / nearPlane)) * (depth * nearPlane);
                    ASSERT_GT(p.y, groundAt(p.x, p.z) + 1.0f) << "key frame " << steps.size();
                }
    } while ((eye - start).Length() > 1e-3f && steps.size() < 100000);
    ASSERT_GT(steps.size(), 1000u);

    const size_t join = steps.size() - 1;
    const float joinStep = steps[join], joinTurn = turns[join];
    steps.erase(steps.begin() + join);
    turns.erase(turns.begin() + join);
    const float longestStep = *std::max_element(steps.begin(), steps.end());
    const float widestTurn = *std::max_element(turns.begin(), turns.end());
    // A slow flight: no key frame moves on by a unit or turns by a degree,
    // and the loop joins without a jump.
    EXPECT_LT(longestStep, 1.0f);
    EXPECT_LT(widestTurn, 1.0f * 3.14159265f / 180.0f);
    EXPECT_LE(joinStep, longestStep);
    EXPECT_LE(joinTurn, widestTurn);
}

TEST_F(VerdmoorSceneTest, EachSetUpReadsTheSkyOnceForTheSceneAndTheWater)
{
    ASSERT_TRUE(m_bin.Ok());
    // The second set-up is F6's: it must read the faces as they are now.
    for (size_t setUp = 1; setUp <= 2; ++setUp) {
        CoutCapture out;
        ASSERT_TRUE(m_demo.LoadWorldScene()) << out.Text();
        EXPECT_EQ(setUp, m_renderer.Find("Tex.CreateFromFile brightday1.png").size());
    }
}

TEST_F(VerdmoorSceneTest, PausingStopsTheLightTheRipplesAndTheTotalTime)
{
    ASSERT_TRUE(m_bin.Ok());
    {
        CoutCapture out;
        ASSERT_TRUE(m_demo.LoadNature1Scene()) << out.Text();
    }
    UpdateWith({}, 0.25f);
    EXPECT_FLOAT_EQ(0.25f, m_demo.GetTotalTime());
    EXPECT_FLOAT_EQ(0.25f * 0.2f, m_demo.GetLightAngle());
    EXPECT_NEAR(0.25 * 0.006, m_demo.GetWaterEffect()->GetRippleTime(), 1e-7);
    MathExpect::ExpectNear(Light0().GetDirection(), OrbitDirection(0.0f), 1e-5f);

    UpdateWith({}, 0.25f);
    const float angle = m_demo.GetLightAngle();
    const float ripples = m_demo.GetWaterEffect()->GetRippleTime();
    MathExpect::ExpectNear(Light0().GetDirection(), OrbitDirection(0.05f), 1e-5f);

    // Space pauses in the same update: its step is already zero. The light's
    // direction lags its angle by one step; a zero step only catches it up.
    // The flight stays where it is.
    UpdateWith({VormInput::eKey_SPACE}, 0.25f);
    const Vector3<float> eye = m_demo.GetAnimatedCamera()->GetLocation();
    for (int i = 0; i < 4; ++i)
        UpdateWith({}, 0.25f);
    MathExpect::ExpectNear(eye, m_demo.GetAnimatedCamera()->GetLocation(), 0.0f);
    EXPECT_FLOAT_EQ(0.5f, m_demo.GetTotalTime());
    EXPECT_EQ(angle, m_demo.GetLightAngle());
    EXPECT_EQ(ripples, m_demo.GetWaterEffect()->GetRippleTime());
    MathExpect::ExpectNear(Light0().GetDirection(), OrbitDirection(angle), 1e-5f);
    EXPECT_EQ(0.0f, m_demo.GetKeyLock());

    // Backspace rewinds the time and keeps the animation stopped.
    UpdateWith({VormInput::eKey_SPACE});
    Unlock();
    UpdateWith({VormInput::eKey_BACKSPACE}, 0.25f);
    EXPECT_EQ(0.0f, m_demo.GetTotalTime());
    EXPECT_FALSE(m_demo.IsAnimationPlaying());
}

} // namespace
