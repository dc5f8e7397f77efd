#ifndef VORM_CORE_SCENEGRAPH_ISCENEVISITOR_H
#define VORM_CORE_SCENEGRAPH_ISCENEVISITOR_H

namespace Vorm {

class Node;
class Geometry;

// Extension point of the tree walk (Spatial::ApplyVisitor).
class ISceneVisitor
{
public:
    virtual ~ISceneVisitor() {}
    // Answer true to descend into the node's children.
    virtual bool VisitNode(Node* node) = 0;
    virtual void VisitGeometry(Geometry* geometry) = 0;
};

} // namespace Vorm

#endif
