#include "Core/Scenegraph/SceneCamera.h"

namespace Vorm {

SceneCamera::SceneCamera() : m_controller(10.0f)
{
    m_controller.SetCamera(this);
    m_controller.Apply();
}

void SceneCamera::Update()
{
    m_controller.Update();
}

} // namespace Vorm
