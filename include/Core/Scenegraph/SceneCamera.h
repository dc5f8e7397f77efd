#ifndef VORM_CORE_SCENEGRAPH_SCENECAMERA_H
#define VORM_CORE_SCENEGRAPH_SCENECAMERA_H

#include "Core/Scenegraph/Camera.h"
#include "Core/Scenegraph/CameraController.h"

namespace Vorm {

// Camera steered with the mouse orbit; starts at (0, 0, 10) looking at the
// origin.
class SceneCamera : public Camera
{
public:
    SceneCamera();

    void Update();

    CameraController& GetController() { return m_controller; }

private:
    SceneCamera(const SceneCamera&);
    SceneCamera& operator=(const SceneCamera&);

    CameraController m_controller;
};

} // namespace Vorm

#endif
