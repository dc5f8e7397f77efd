#include "Core/Scenegraph/AnimatedCamera.h"

#include "Core/Scenegraph/TransformController.h"

namespace Vorm {

AnimatedCamera::AnimatedCamera()
{
}

void AnimatedCamera::SetController(boost::shared_ptr<TransformController> controller)
{
    m_spController = controller;
}

void AnimatedCamera::Update(float)
{
    // Without a controller (e.g. a scene without a camera path) the camera
    // keeps its frame.
    if (!m_spController)
        return;

    const Transform t = m_spController->GetTransform();
    const Matrix33<float>& R = t.GetRotation();
    SetFrame(t.GetTranslation(), -R[2], R[1], R[0]);
}

} // namespace Vorm
