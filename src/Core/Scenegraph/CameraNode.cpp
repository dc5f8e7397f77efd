#include "Core/Scenegraph/CameraNode.h"

namespace Vorm {

CameraNode::CameraNode()
{
}

CameraNode::~CameraNode()
{
}

void CameraNode::UpdateWorldBound()
{
}

void CameraNode::CollectVisible(Culler&)
{
}

void CameraNode::Traverse(ISceneVisitor&)
{
}

} // namespace Vorm
