// The demo: loads the Verdmoor or the Nature1 scene with its light, cameras,
// effects and music, updates and draws it every frame and answers the keys.
#ifndef VORM_DEMO_VERDMOOR_H
#define VORM_DEMO_VERDMOOR_H

#include "Core/Math/Vector4.h"
#include "Core/Scenegraph/AnimatedCamera.h"
#include "Core/Scenegraph/Culler.h"
#include "Core/Scenegraph/SceneCamera.h"
#include "Sound/MusicPlayer.h"
#include "WINGLApp/IExec.h"

#include <boost/shared_ptr.hpp>

#include <cstring>
#include <string>
#include <vector>

namespace Vorm {
class Geometry;
class GLGrassEffect;
class GLShadowMappingEffect;
class GLSkyboxEffect;
class GLWaterEffect;
class GLWireframeEffect;
class Model;
class Spatial;
class Terrain;
} // namespace Vorm

class Verdmoor : public Vorm::IExec
{
public:
    // The set-up Init runs: the only difference between the two programs.
    enum Scene
    {
        eScene_World,
        eScene_Nature1
    };

    explicit Verdmoor(Scene firstScene);
    ~Verdmoor() override;

    bool PreInit() override;
    void Init() override;
    void Update(float dt) override;
    void Render() override;
    void Resize(int width, int height) override;
    void Shutdown() override;

    // Scene set-ups; false when a file they need is missing or damaged (one
    // message names it and the program is asked to end with code 1; images
    // and the music are reported and done without), when the scene is short
    // of children, or when a quit came while loading (no message).
    bool LoadWorldScene();
    bool LoadNature1Scene();

    // What the tests and the benchmark look at.
    bool IsWireframe() const { return m_bWireframe; }
    bool IsAnimatedCameraActive() const { return m_bAnimatedCameraActive; }
    bool IsDrawingAnimatedCamera() const { return m_bDrawAnimatedCamera; }
    bool IsAnimationPlaying() const { return m_bAnimationPlaying; }
    bool IsSoundOn() const { return m_bSoundOn; }
    bool IsLightOrbiting() const { return m_bLightOrbit; }
    float GetLightAngle() const { return m_fLightAngle; }
    float GetTotalTime() const { return m_fTotalTime; }
    float GetKeyLock() const { return m_fKeyLock; }
    int GetSceneKind() const { return m_iSceneKind; }
    bool IsSceneReady() const { return m_bSceneReady; }
    Vorm::Camera* GetAnimatedCamera() { return &m_animatedCamera; }
    Vorm::Camera* GetSceneCamera() { return &m_sceneCamera; }
    boost::shared_ptr<Vorm::Model> GetSceneRoot() const { return m_spSceneRoot; }
    boost::shared_ptr<Vorm::Terrain> GetTerrain() const { return m_spTerrain; }
    boost::shared_ptr<Vorm::Spatial> GetAnimatedMesh() const { return m_spAnimatedMesh; }
    boost::shared_ptr<Vorm::GLWaterEffect> GetWaterEffect() const { return m_spWaterEffect; }
    const std::vector<Vorm::Geometry*>& GetShadowCasters() const { return m_shadowCasters; }
    std::vector<Vorm::Geometry*>& GetVisibleMeshes() { return m_sceneCuller.GetVisibleList(); }
    std::vector<Vorm::Geometry*>& GetVisibleCells() { return m_terrainCuller.GetVisibleList(); }

    // One step of the frame: a short name and the member that draws it.
    struct Pass
    {
        const char* name;
        void (Verdmoor::*draw)();

        bool Is(const char* other) const { return std::strcmp(name, other) == 0; }
    };
    // The frame's passes, in the order Render draws them, as this scene has
    // them (the terrain's cells and the grass are the world's). The passes
    // themselves are private: whoever draws the frame other than Render (the
    // tests, the benchmark) draws it through this list, leaving passes out,
    // timing them or wrapping them by name, and so draws what Render draws.
    const std::vector<Pass>& GetPasses() const;
    void Draw(const Pass& pass) { (this->*pass.draw)(); }

private:
    // The passes, in the order of the frame.
    void ApplyCamera();
    void RenderShadows();
    void ClearFrame();
    void RenderSceneMeshes();
    void RenderTerrain();
    void RenderGrass();
    void RenderSky();
    void RenderWater();
    void RenderModels();

    void HandleKeys();
    // Everything Update does after the keys, with the (paused or not) step.
    void Advance(float step);
    bool SetupScene();
    bool CheckEffects();
    // Releases the scene once a quit is pending, and says whether it did.
    bool ReleaseSceneIfQuitting();
    bool LoadScene();
    void SetupLight();
    void SetupCameras();
    void SetupWaterEffect();
    void SetupSkyboxEffect();
    void SetupShadowEffect();
    void SetupWireframeEffect();
    void SetupGrassEffect();
    void ReleaseScene();
    void TurnLight(float step);
    void Fail(const std::string& what);
    // The window's part: its aspect as it is now, present the frame, leave
    // full screen, end the program.
    float WindowAspect();
    void Present();
    void LeaveFullscreen();
    void RequestQuit();

    Vorm::AnimatedCamera m_animatedCamera;
    Vorm::SceneCamera m_sceneCamera;
    boost::shared_ptr<Vorm::Model> m_spSceneRoot;
    boost::shared_ptr<Vorm::Spatial> m_spAnimatedMesh;
    Vorm::Culler m_sceneCuller;
    boost::shared_ptr<Vorm::Terrain> m_spTerrain;
    Vorm::Culler m_terrainCuller;
    boost::shared_ptr<Vorm::GLShadowMappingEffect> m_spShadowEffect;
    boost::shared_ptr<Vorm::GLSkyboxEffect> m_spSkyboxEffect;
    boost::shared_ptr<Vorm::GLWaterEffect> m_spWaterEffect;
    boost::shared_ptr<Vorm::GLWireframeEffect> m_spWireframeEffect;
    boost::shared_ptr<Vorm::GLGrassEffect> m_spGrassEffect;
    std::vector<Vorm::Geometry*> m_shadowCasters;
    float m_fTotalTime;
    bool m_bAnimatedCameraActive;
    bool m_bDrawAnimatedCamera;
    bool m_bAnimationPlaying;
    bool m_bWireframe;
    bool m_bSoundOn;
    float m_fFov;
    float m_fNearPlane;
    float m_fFarPlane;
    int m_iReflectedCount;
    int m_iAnimatedChild;
    int m_iWaterChild;
    float m_fWaterHeight;
    int m_iSceneKind;
    Vector4<float> m_lightAmbient;
    Vector4<float> m_lightDiffuse;
    std::string m_sceneDir;
    std::string m_sceneName;
    float m_fLightAngle;
    bool m_bLightOrbit;
    MusicPlayer m_musicPlayer;
    float m_fKeyLock;
    // false until a set-up found everything it needs; the frame then does nothing.
    bool m_bSceneReady;
    Scene m_firstScene;
};

#endif
