#ifndef VORM_CORE_SCENEGRAPH_NODE_H
#define VORM_CORE_SCENEGRAPH_NODE_H

#include "Core/Scenegraph/Spatial.h"

#include <vector>

namespace Vorm {

// Inner element of the scene graph; owns its children.
class Node : public Spatial
{
public:
    Node();
    virtual ~Node();

    virtual void UpdateWorldTransform(float time);
    virtual void UpdateWorldBound();
    virtual void CollectVisible(Culler& culler);
    virtual void Traverse(ISceneVisitor& visitor);

    // Takes the child over (from its former parent, or from whoever already
    // shares it) and answers its index.
    int AttachChild(Spatial* child);
    boost::shared_ptr<Spatial> DetachChild(Spatial* child);
    boost::shared_ptr<Spatial> GetChild(int index) const;
    int GetChildCount() const { return static_cast<int>(m_children.size()); }

protected:
    std::vector<boost::shared_ptr<Spatial> > m_children;
};

} // namespace Vorm

#endif
