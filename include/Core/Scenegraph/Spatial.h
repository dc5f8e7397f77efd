#ifndef VORM_CORE_SCENEGRAPH_SPATIAL_H
#define VORM_CORE_SCENEGRAPH_SPATIAL_H

#include "Core/Scenegraph/Transform.h"

#include <boost/enable_shared_from_this.hpp>
#include <boost/shared_ptr.hpp>

#include <string>

namespace Vorm {

class BoundingVolume;
class Culler;
class ISceneVisitor;
class TransformController;

// Element of the scene graph: local and world transform, a world bound and an
// optional key-frame controller. The parent link is not owning; parents own
// their children through shared pointers.
class Spatial : public boost::enable_shared_from_this<Spatial>
{
public:
    Spatial();
    virtual ~Spatial();

    virtual void UpdateWorldTransform(float time);
    virtual void UpdateWorldBound() = 0;
    virtual BoundingVolume* OnCreateWorldBound();
    virtual void CollectVisible(Culler& culler) = 0;
    virtual void Traverse(ISceneVisitor& visitor) = 0;

    // Per-frame entry: transforms down, bounds up; the initiator also refreshes
    // the bounds of its ancestors.
    void Update(float time, bool initiator);
    void OnCollectVisible(Culler& culler);
    void ApplyVisitor(ISceneVisitor& visitor);
    void PropagateBoundUp();

    const std::string& GetName() const { return m_name; }
    void SetName(const std::string& name) { m_name = name; }

    Spatial* GetParent() const { return m_pParent; }
    void SetParent(Spatial* parent) { m_pParent = parent; }

    Transform& Local() { return m_local; }
    const Transform& Local() const { return m_local; }
    Transform& World() { return m_world; }
    const Transform& World() const { return m_world; }

    BoundingVolume* GetWorldBound() const { return m_pWorldBound; }

    boost::shared_ptr<TransformController> GetController() const { return m_spController; }
    void SetController(boost::shared_ptr<TransformController> controller);

protected:
    // Ordered by use in the per-frame walks: culling reads the bound pointer
    // right after the vtable, the update the next few lines; the name last.
    BoundingVolume* m_pWorldBound;
    Spatial* m_pParent;
    boost::shared_ptr<TransformController> m_spController;
    Transform m_world;
    Transform m_local;
    std::string m_name;

private:
    Spatial(const Spatial&);
    Spatial& operator=(const Spatial&);
};

} // namespace Vorm

#endif
