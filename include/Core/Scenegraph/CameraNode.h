#ifndef VORM_CORE_SCENEGRAPH_CAMERANODE_H
#define VORM_CORE_SCENEGRAPH_CAMERANODE_H

#include "Core/Scenegraph/Spatial.h"

#include <string>

namespace Vorm {

// Mesh-less leaf that carries an animation path (e.g. a camera flight). Its
// controller moves it like any spatial, but it is never culled, drawn or
// visited.
class CameraNode : public Spatial
{
public:
    CameraNode();
    virtual ~CameraNode();

    virtual void UpdateWorldBound();
    virtual void CollectVisible(Culler& culler);
    virtual void Traverse(ISceneVisitor& visitor);

private:
    std::string m_cameraName;
};

} // namespace Vorm

#endif
