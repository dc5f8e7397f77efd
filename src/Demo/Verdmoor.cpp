#include "Verdmoor.h"

#include "Core/Math/Plane.h"
#include "Core/Memory/MemTracker.h"
#include "Core/Rendering/IMaterialEffect.h"
#include "Core/Rendering/IRenderer.h"
#include "Core/Scenegraph/Light.h"
#include "Core/Scenegraph/Model.h"
#include "Core/Scenegraph/TransformController.h"
#include "Core/Scenegraph/mesh/TriangleMesh.h"
#include "Core/Scenegraph/model/ModelImporter.h"
#include "Core/Terrain/base/Terrain.h"
#include "Core/Terrain/base/TerrainDesc.h"
#include "Core/Util/QuitRequest.h"
#include "RenderGL/effects/GLGrassEffect.h"
#include "RenderGL/effects/GLMaterialEffect.h"
#include "RenderGL/effects/GLShadowMappingEffect.h"
#include "RenderGL/effects/GLSkyboxEffect.h"
#include "RenderGL/effects/GLWaterEffect.h"
#include "RenderGL/effects/GLWireframeEffect.h"
#include "WINGLApp/IApp.h"

#include <iostream>

namespace {

const char* const kMusicTrack = "03 - Marrowfen - Glenhush.mp3";

Vorm::IRenderer& Renderer() { return *TSingleton<Vorm::IRenderer>::Instance(); }

} // namespace

Verdmoor::Verdmoor(Scene firstScene)
    : m_fTotalTime(0.0f), m_bAnimatedCameraActive(true), m_bDrawAnimatedCamera(false),
      m_bAnimationPlaying(true), m_bWireframe(false), m_bSoundOn(true), m_fFov(0.0f), m_fNearPlane(0.0f),
      m_fFarPlane(0.0f), m_iReflectedCount(0), m_iAnimatedChild(0), m_iWaterChild(0), m_fWaterHeight(0.0f),
      m_iSceneKind(0), m_fLightAngle(0.0f), m_bLightOrbit(false), m_musicPlayer("../data/sound/"),
      m_fKeyLock(0.0f), m_bSceneReady(false), m_firstScene(firstScene)
{
}

Verdmoor::~Verdmoor() {}

bool Verdmoor::PreInit()
{
    TSingleton<Vorm::IApp>::Instance()->SetFrameLimit(0, true);
    return true;
}

void Verdmoor::Init()
{
    Vorm::IRenderer& renderer = Renderer();
    renderer.SetViewport(0, 0, 1024, 768);
    renderer.SetClearColor(Vector4<float>(0.0f, 0.0f, 0.0f, 0.0f));
    renderer.SetCullMode(1);
    renderer.EnableDepthTest(true);
    m_musicPlayer.Load(kMusicTrack);
    m_musicPlayer.SetLoop(kMusicTrack, true);
    if (m_firstScene == eScene_Nature1)
        LoadNature1Scene();
    else
        LoadWorldScene();
}

void Verdmoor::Shutdown() {}

bool Verdmoor::LoadWorldScene()
{
    m_iSceneKind = 1;
    m_sceneDir = "../data/scene/world/scene/";
    m_sceneName = "Verdmoor";
    m_lightAmbient = Vector4<float>(0.4f, 0.4f, 0.5f, 1.0f);
    m_lightDiffuse = Vector4<float>(0.0f, 0.0f, 0.0f, 1.0f);
    m_fFov = 20.0f;
    m_fNearPlane = 20.0f;
    m_fFarPlane = 800.0f;
    m_iReflectedCount = 0;
    m_iAnimatedChild = 1;
    m_iWaterChild = 0;
    m_fWaterHeight = 0.0f;
    m_fLightAngle = 0.0f;
    m_bLightOrbit = true;
    return SetupScene();
}

bool Verdmoor::LoadNature1Scene()
{
    m_iSceneKind = 2;
    m_sceneDir = "../data/scene/Nature1/";
    m_sceneName = "Nature1";
    m_lightAmbient = Vector4<float>(0.2f, 0.2f, 0.2f, 1.0f);
    m_lightDiffuse = Vector4<float>(0.6f, 0.6f, 0.6f, 1.0f);
    m_fFov = 35.0f;
    m_fNearPlane = 1.0f;
    m_fFarPlane = 200.0f;
    m_iReflectedCount = 12;
    m_iAnimatedChild = 0;
    m_iWaterChild = 0;
    m_fWaterHeight = 0.10062f;
    m_fLightAngle = 0.0f;
    m_bLightOrbit = true;
    return SetupScene();
}

bool Verdmoor::SetupScene()
{
    // A repeated set-up starts from nothing: the last scene's meshes, terrain
    // and effects (with their GPU objects) go before new ones are made.
    ReleaseScene();
    if (!CheckEffects() || !LoadScene())
        return false;
    // A quit asked for while loading ends the set-up between its steps.
    SetupLight();
    SetupCameras();
    SetupWaterEffect();
    if (ReleaseSceneIfQuitting())
        return false;
    SetupSkyboxEffect();
    SetupShadowEffect();
    SetupWireframeEffect();
    if (m_iSceneKind == 1)
        SetupGrassEffect();
    if (ReleaseSceneIfQuitting())
        return false;
    m_musicPlayer.Stop();
    m_musicPlayer.Play(kMusicTrack);
    m_bSceneReady = true;
    // Places the cameras and culls before the first frame, which the window's
    // first resize draws before any update.
    Advance(0.0f);
    return true;
}

bool Verdmoor::CheckEffects()
{
    // The effects assert on a program that did not build or lacks a uniform
    // they use: ask first (the renderer caches each program, so the effects
    // get the same ones).
    typedef bool (*Check)(std::string*);
    std::vector<Check> checks = {&Vorm::GLMaterialEffect::CheckProgram, &Vorm::GLWaterEffect::CheckPrograms,
                                 &Vorm::GLSkyboxEffect::CheckProgram, &Vorm::GLShadowMappingEffect::CheckProgram,
                                 &Vorm::GLWireframeEffect::CheckProgram};
    if (m_iSceneKind == 1)
        checks.push_back(&Vorm::GLGrassEffect::CheckProgram);
    for (Check check : checks) {
        std::string error;
        if (ReleaseSceneIfQuitting() || !check(&error)) {
            Fail(error);
            return false;
        }
    }
    return true;
}

bool Verdmoor::ReleaseSceneIfQuitting()
{
    if (!Vorm::QuitRequest::IsPending())
        return false;
    ReleaseScene();
    return true;
}

void Verdmoor::ReleaseScene()
{
    m_bSceneReady = false;
    m_sceneCuller.GetVisibleList().clear();
    m_terrainCuller.GetVisibleList().clear();
    m_shadowCasters.clear();
    m_spGrassEffect.reset();
    m_spWireframeEffect.reset();
    m_spShadowEffect.reset();
    m_spSkyboxEffect.reset();
    m_spWaterEffect.reset();
    m_spTerrain.reset();
    m_spAnimatedMesh.reset();
    m_spSceneRoot.reset();
}

bool Verdmoor::LoadScene()
{
    Vorm::ModelImporter importer;
    importer.SetPath(m_sceneDir);
    std::string error;
    m_spSceneRoot = importer.Load(Vorm::ModelImporter::eLoader_OgreXml, m_sceneName, &error);
    if (!m_spSceneRoot) {
        Fail(error);
        return false;
    }
    // The set-up takes out the animated child and the water, then hands the
    // first reflectedCount children on as meshes: check they are all there.
    const std::string sceneFile = m_sceneDir + m_sceneName + ".scene";
    const int needed = 2 + m_iReflectedCount;
    if (m_spSceneRoot->GetChildCount() < needed) {
        Fail(sceneFile + ": the scene has " + std::to_string(m_spSceneRoot->GetChildCount()) +
             " children, the set-up needs " + std::to_string(needed));
        return false;
    }
    const boost::shared_ptr<Vorm::Spatial> animated = m_spSceneRoot->GetChild(m_iAnimatedChild);
    if (!dynamic_cast<Vorm::TriangleMesh*>(animated.get()) || !animated->GetController() ||
        !static_cast<Vorm::TriangleMesh*>(animated.get())->GetMaterialEffect()) {
        Fail(sceneFile + ": child " + std::to_string(m_iAnimatedChild) +
             " of the scene is not an animated mesh with a material");
        return false;
    }
    for (int i = 0; i < needed; ++i) {
        if (i == m_iAnimatedChild)
            continue;
        Vorm::TriangleMesh* mesh = dynamic_cast<Vorm::TriangleMesh*>(m_spSceneRoot->GetChild(i).get());
        if (!mesh || !mesh->GetMaterialEffect()) {
            Fail(sceneFile + ": child " + std::to_string(i) + " of the scene is not a mesh with a material");
            return false;
        }
    }
    if (m_iSceneKind == 1) {
        if (ReleaseSceneIfQuitting())
            return false;
        Vorm::TerrainDesc desc;
        desc.SetCells(12, 12, 12, 12);
        desc.SetSize(600.0f, 600.0f);
        desc.SetHeightMap("tHeight.png", 60.0f);
        desc.SetColorMap("tColor.png");
        desc.SetCoverageMap("tCoverage.png");
        Vorm::MemTracker::SetOwner("Verdmoor", 401, "Verdmoor::LoadScene");
        m_spTerrain.reset(new Vorm::Terrain());
        m_spTerrain->Create(desc);
    }
    return !ReleaseSceneIfQuitting();
}

void Verdmoor::SetupLight()
{
    const boost::shared_ptr<Vorm::Light> light = Renderer().GetLights()[0];
    light->SetAmbient(m_lightAmbient);
    light->SetDiffuse(m_lightDiffuse);
    light->SetSpecular(Vector4<float>(0.7f, 0.8f, 0.83f, 1.0f));
    light->SetPosition(Vector3<float>(10.0f, 80.0f, 10.0f));
    Vector3<float> direction(0.0f, -1.0f, 1.0f);
    direction.Normalize();
    light->SetDirection(direction);
    light->CreateShadowMaps(true, 2, 2048, 2048);
}

void Verdmoor::SetupCameras()
{
    const boost::shared_ptr<Vorm::Spatial> child = m_spSceneRoot->GetChild(m_iAnimatedChild);
    m_spAnimatedMesh = m_spSceneRoot->DetachChild(child.get());
    m_animatedCamera.SetController(m_spAnimatedMesh->GetController());
    const boost::shared_ptr<Vorm::IMaterialEffect> material =
        static_cast<Vorm::TriangleMesh*>(m_spAnimatedMesh.get())->GetMaterialEffect();
    material->SetShadingType(0);
    material->SetSpareFlag(false);
    Renderer().SetCamera(m_bAnimatedCameraActive ? static_cast<Vorm::Camera*>(&m_animatedCamera) : &m_sceneCamera);
    // The window may have been resized since the start (F6 and F7).
    const float aspect = WindowAspect();
    m_sceneCamera.SetPerspective(m_fFov, aspect, m_fNearPlane, m_fFarPlane);
    m_animatedCamera.SetPerspective(m_fFov, aspect, m_fNearPlane, m_fFarPlane);
}

void Verdmoor::SetupWaterEffect()
{
    Vorm::MemTracker::SetOwner("Verdmoor", 447, "Verdmoor::SetupWaterEffect");
    m_spWaterEffect.reset(new Vorm::GLWaterEffect());
    m_spWaterEffect->SetWaterPlane(Vorm::Plane(Vector3<float>(0.0f, 1.0f, 0.0f), m_fWaterHeight, true));
    const boost::shared_ptr<Vorm::Spatial> child = m_spSceneRoot->GetChild(m_iWaterChild);
    const boost::shared_ptr<Vorm::Spatial> water = m_spSceneRoot->DetachChild(child.get());
    std::vector<boost::shared_ptr<Vorm::Geometry>> geometries;
    geometries.push_back(boost::dynamic_pointer_cast<Vorm::Geometry>(water));
    m_spWaterEffect->SetWaterGeometries(geometries);
    std::vector<Vorm::TriangleMesh*> reflected;
    for (int i = 0; i < m_iReflectedCount; ++i)
        reflected.push_back(static_cast<Vorm::TriangleMesh*>(m_spSceneRoot->GetChild(i).get()));
    m_spWaterEffect->SetReflectedMeshes(reflected);
}

void Verdmoor::SetupSkyboxEffect()
{
    Vorm::MemTracker::SetOwner("Verdmoor", 470, "Verdmoor::SetupSkyboxEffect");
    m_spSkyboxEffect.reset(new Vorm::GLSkyboxEffect());
    m_spSkyboxEffect->SetCubemap("brightday1.png");
}

void Verdmoor::SetupShadowEffect()
{
    Vorm::MemTracker::SetOwner("Verdmoor", 478, "Verdmoor::SetupShadowEffect");
    m_spShadowEffect.reset(new Vorm::GLShadowMappingEffect());
    m_shadowCasters.clear();
    for (int i = 0; i < m_iReflectedCount; ++i)
        m_shadowCasters.push_back(static_cast<Vorm::TriangleMesh*>(m_spSceneRoot->GetChild(i).get()));
}

void Verdmoor::SetupWireframeEffect()
{
    Vorm::MemTracker::SetOwner("Verdmoor", 488, "Verdmoor::SetupWireframeEffect");
    m_spWireframeEffect.reset(new Vorm::GLWireframeEffect());
}

void Verdmoor::SetupGrassEffect()
{
    Vorm::MemTracker::SetOwner("Verdmoor", 494, "Verdmoor::SetupGrassEffect");
    m_spGrassEffect.reset(new Vorm::GLGrassEffect());
}

void Verdmoor::Fail(const std::string& what)
{
    ReleaseScene();
    // A quit asked for while loading cuts the set-up short: no failure.
    if (Vorm::QuitRequest::IsPending())
        return;
    std::cout << "Cannot set up the scene: " << what << "." << std::endl;
    RequestQuit();
}
