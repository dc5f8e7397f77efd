#include "Verdmoor.h"

#include "Core/Input/InputMngr.h"
#include "Core/Input/Keyboard.h"
#include "Core/Rendering/IMaterialEffect.h"
#include "Core/Rendering/IRenderer.h"
#include "Core/Scenegraph/Light.h"
#include "Core/Scenegraph/Model.h"
#include "Core/Scenegraph/TransformController.h"
#include "Core/Scenegraph/mesh/TriangleMesh.h"
#include "Core/Terrain/base/Terrain.h"
#include "RenderGL/effects/GLGrassEffect.h"
#include "RenderGL/effects/GLShadowMappingEffect.h"
#include "RenderGL/effects/GLSkyboxEffect.h"
#include "RenderGL/effects/GLWaterEffect.h"
#include "WINGLApp/IApp.h"
#include "WINGLApp/IWindow.h"
#include "Platform/Win32Window.h"
#include "WINGLApp/WINGLAppWindow.h"

#include <algorithm>
#include <cmath>
#include <iostream>

namespace {

Vorm::IRenderer& Renderer() { return *TSingleton<Vorm::IRenderer>::Instance(); }

bool KeyDown(VormInput::eKey key)
{
    return TSingleton<Vorm::InputMngr>::Instance()->GetKeyboard()->IsKeyDown(key);
}

// The light's direction on its orbit at angle a.
Vector3<float> OrbitDirection(float a)
{
    Vector3<float> d(std::sin(a), -1.0f, std::cos(a));
    d.Normalize();
    return d;
}

} // namespace

void Verdmoor::Update(float dt)
{
    m_fKeyLock = std::max(m_fKeyLock - dt, 0.0f);
    HandleKeys();
    Advance(m_bAnimationPlaying ? dt : 0.0f);
}

void Verdmoor::Advance(float step)
{
    if (!m_bSceneReady)
        return;
    m_sceneCamera.Update();
    m_spAnimatedMesh->Update(step, true);
    m_animatedCamera.Update(step);
    m_spSceneRoot->Update(step, true);
    if (m_iSceneKind == 1)
        m_spTerrain->Update(step, true);
    Vorm::Camera* camera = Renderer().GetCamera();
    m_sceneCuller.CollectVisible(*m_spSceneRoot, camera);
    if (m_iSceneKind == 1)
        m_terrainCuller.CollectVisible(*m_spTerrain, camera);
    m_spWaterEffect->Update(step);
    if (m_bLightOrbit)
        TurnLight(step * 0.2f);
    m_fTotalTime += step;
}

void Verdmoor::TurnLight(float step)
{
    const Vector3<float> direction = OrbitDirection(m_fLightAngle);
    m_fLightAngle += step;
    if (m_fLightAngle > 6.48f)
        m_fLightAngle = 0.0f;
    Renderer().GetLights()[0]->SetDirection(direction);
}

void Verdmoor::HandleKeys()
{
    if (m_fKeyLock > 0.0f)
        return;
    bool handled = false;
    if (KeyDown(VormInput::eKey_F4)) {
        m_bDrawAnimatedCamera = !m_bDrawAnimatedCamera && !m_bAnimatedCameraActive;
        std::cout << "Draw Animated Camera? " << m_bDrawAnimatedCamera << std::endl;
        handled = true;
    }
    if (KeyDown(VormInput::eKey_F2)) {
        // Off the flight, the scene camera starts where the flying camera stands.
        if (m_bAnimatedCameraActive)
            m_sceneCamera.GetController().LookFrom(m_animatedCamera.GetLocation(), m_animatedCamera.GetDirection());
        Renderer().SetCamera(&m_sceneCamera);
        m_bAnimatedCameraActive = false;
        std::cout << "Scene Camera active. " << std::endl;
        handled = true;
    }
    if (KeyDown(VormInput::eKey_F3)) {
        Renderer().SetCamera(&m_animatedCamera);
        m_bAnimatedCameraActive = true;
        m_bDrawAnimatedCamera = false;
        std::cout << "Animated Camera active. " << std::endl;
        handled = true;
    }
    if (KeyDown(VormInput::eKey_SPACE)) {
        m_bAnimationPlaying = !m_bAnimationPlaying;
        std::cout << "Is animation playing? " << m_bAnimationPlaying << std::endl;
        handled = true;
    }
    if (KeyDown(VormInput::eKey_BACKSPACE)) {
        m_fTotalTime = 0.0f;
        m_bAnimationPlaying = false;
        if (m_spAnimatedMesh && m_spAnimatedMesh->GetController())
            m_spAnimatedMesh->GetController()->Reset();
        std::cout << "Stop Animation. " << std::endl;
        handled = true;
    }
    if (KeyDown(VormInput::eKey_F1)) {
        m_bWireframe = !m_bWireframe;
        Renderer().SetPolygonMode(m_bWireframe ? 3 : 0);
        std::cout << "Is Wireframe mode? " << m_bWireframe << std::endl;
        handled = true;
    }
    if (KeyDown(VormInput::eKey_F5)) {
        m_bSoundOn = !m_bSoundOn;
        m_musicPlayer.SetMute(!m_bSoundOn);
        std::cout << "Is sound playing? " << m_bSoundOn << std::endl;
        handled = true;
    }
    if (KeyDown(VormInput::eKey_F6)) {
        LoadWorldScene();
        handled = true;
    }
    if (KeyDown(VormInput::eKey_F7)) {
        LoadWorldScene();
        handled = true;
    }
    if (KeyDown(static_cast<VormInput::eKey>('l'))) {
        m_bLightOrbit = !m_bLightOrbit;
        handled = true;
    }
    if (KeyDown(VormInput::eKey_LEFT) && !m_bLightOrbit) {
        TurnLight(0.1f);
        handled = true;
    }
    if (KeyDown(VormInput::eKey_ESCAPE))
        LeaveFullscreen();
    if (handled)
        m_fKeyLock = 0.5f;
}

const std::vector<Verdmoor::Pass>& Verdmoor::GetPasses() const
{
    // The frame, in its order.
    static const struct
    {
        Pass pass;
        bool worldOnly;
    } frame[] = {
        {{"camera", &Verdmoor::ApplyCamera}, false},
        {{"shadow_maps", &Verdmoor::RenderShadows}, false},
        {{"clear", &Verdmoor::ClearFrame}, false},
        {{"scene_meshes", &Verdmoor::RenderSceneMeshes}, false},
        {{"terrain_cells", &Verdmoor::RenderTerrain}, true},
        {{"grass", &Verdmoor::RenderGrass}, true},
        {{"sky", &Verdmoor::RenderSky}, false},
        {{"water", &Verdmoor::RenderWater}, false},
        {{"models", &Verdmoor::RenderModels}, false},
    };
    const auto passes = [](bool world) {
        std::vector<Pass> list;
        for (const auto& row : frame) {
            if (world || !row.worldOnly)
                list.push_back(row.pass);
        }
        return list;
    };
    static const std::vector<Pass> world = passes(true);
    static const std::vector<Pass> other = passes(false);
    return m_iSceneKind == 1 ? world : other;
}

void Verdmoor::Render()
{
    if (m_bSceneReady) {
        for (const Pass& pass : GetPasses())
            Draw(pass);
    }
    Present();
}

void Verdmoor::ApplyCamera() { Renderer().ApplyCamera(); }

void Verdmoor::RenderShadows()
{
    m_spShadowEffect->Render(Renderer().GetLights()[0], m_shadowCasters);
}

void Verdmoor::ClearFrame() { Renderer().Clear(3); }

void Verdmoor::RenderSceneMeshes()
{
    Vorm::IRenderer& renderer = Renderer();
    bool applied = false;
    for (Vorm::Geometry* geometry : m_sceneCuller.GetVisibleList()) {
        const boost::shared_ptr<Vorm::IMaterialEffect> material =
            static_cast<Vorm::TriangleMesh*>(geometry)->GetMaterialEffect();
        if (!material)
            continue;
        if (!applied) {
            renderer.SetApiEffect(material->GetApiEffect());
            applied = true;
        }
        material->Apply();
        renderer.DrawGeometry(geometry);
    }
}

void Verdmoor::RenderTerrain()
{
    Vorm::IRenderer& renderer = Renderer();
    bool applied = false;
    for (Vorm::Geometry* cell : m_terrainCuller.GetVisibleList()) {
        if (!applied) {
            const boost::shared_ptr<Vorm::IMaterialEffect> material = m_spTerrain->GetMaterialEffect();
            renderer.SetApiEffect(material->GetApiEffect());
            material->Apply();
            applied = true;
        }
        renderer.DrawGeometry(cell);
    }
}

void Verdmoor::RenderGrass()
{
    const Vorm::Camera* camera = Renderer().GetCamera();
    m_spGrassEffect->SetCameraVectors(camera->GetLocation(), camera->GetRight(), camera->GetUp());
    m_spGrassEffect->Render(&m_spTerrain->GetGrassPatch());
}

void Verdmoor::RenderSky() { m_spSkyboxEffect->Render(); }

void Verdmoor::RenderWater() { m_spWaterEffect->Render(); }

void Verdmoor::RenderModels()
{
    if (!m_bDrawAnimatedCamera)
        return;
    Vorm::TriangleMesh* mesh = static_cast<Vorm::TriangleMesh*>(m_spAnimatedMesh.get());
    const boost::shared_ptr<Vorm::IMaterialEffect> material = mesh->GetMaterialEffect();
    Renderer().SetApiEffect(material->GetApiEffect());
    material->Apply();
    Renderer().DrawGeometry(mesh);
}

void Verdmoor::Resize(int width, int height)
{
    Renderer().SetViewport(0, 0, width, height);
    // A minimised window has no height: its aspect would not be finite.
    if (height > 0) {
        // Both cameras: F2 and F3 show the other one at this size too.
        const float aspect = static_cast<float>(width) / static_cast<float>(height);
        m_sceneCamera.SetPerspective(m_fFov, aspect, m_fNearPlane, m_fFarPlane);
        m_animatedCamera.SetPerspective(m_fFov, aspect, m_fNearPlane, m_fFarPlane);
    }
    // The images the water draws at the window's size follow it.
    if (m_spWaterEffect)
        m_spWaterEffect->Resize(width, height);
    Render();
}

float Verdmoor::WindowAspect()
{
    const boost::shared_ptr<Vorm::IWindow> window = TSingleton<Vorm::IApp>::Instance()->GetWindow();
    if (!window || window->GetHeight() <= 0)
        return 1024.0f / 768.0f;
    return static_cast<float>(window->GetWidth()) / static_cast<float>(window->GetHeight());
}

void Verdmoor::Present()
{
    TSingleton<Vorm::IApp>::Instance()->GetWindow()->SwapBuffers();
}

void Verdmoor::LeaveFullscreen()
{
    const boost::shared_ptr<Vorm::WINGLAppWindow> window =
        boost::dynamic_pointer_cast<Vorm::WINGLAppWindow>(TSingleton<Vorm::IApp>::Instance()->GetWindow());
    if (window)
        window->LeaveFullscreen();
}

void Verdmoor::RequestQuit()
{
    // Ends the main loop as closing the window does, with a failure code.
    Win32::PostQuitMessage(1);
}
