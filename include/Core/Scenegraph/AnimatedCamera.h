#ifndef VORM_CORE_SCENEGRAPH_ANIMATEDCAMERA_H
#define VORM_CORE_SCENEGRAPH_ANIMATEDCAMERA_H

#include "Core/Scenegraph/Camera.h"

#include <boost/shared_ptr.hpp>

namespace Vorm {

class TransformController;

// Camera that follows the current key frame of a scene node's controller.
class AnimatedCamera : public Camera
{
public:
    AnimatedCamera();

    void SetController(boost::shared_ptr<TransformController> controller);
    // Frames the camera from the controller's current key frame; the
    // controller is advanced by its node's update, not here.
    void Update(float time);

private:
    boost::shared_ptr<TransformController> m_spController;
};

} // namespace Vorm

#endif
