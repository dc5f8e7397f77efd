#include "Core/Scenegraph/Node.h"

#include "Core/Scenegraph/BoundingVolume.h"
#include "Core/Scenegraph/Culler.h"
#include "Core/Scenegraph/ISceneVisitor.h"

#include <boost/weak_ptr.hpp>

#include <cstdint>

namespace Vorm {

namespace {

// The scene loader builds trees depth first, so a walk moves forward through
// memory, about one node's blocks per child visited.
// Large trees do not fit in the cache, and a walk is a chain of dependent
// loads; fetching the memory a few nodes ahead of the current child hides
// that latency. A wrong guess only wastes a fetch: prefetches never fault.
const std::uintptr_t kAheadBytes = 8192;
const int kAheadLines = 8;

// Visits the children in order, fetching ahead.
template <typename Visit>
inline void WalkChildren(const std::vector<boost::shared_ptr<Spatial> >& children, Visit visit)
{
    const size_t n = children.size();
    const boost::shared_ptr<Spatial>* child = children.data();
    for (size_t i = 0; i < n; ++i)
    {
        const std::uintptr_t ahead = reinterpret_cast<std::uintptr_t>(child[i].get()) + kAheadBytes;
        for (int line = 0; line < kAheadLines; ++line)
            __builtin_prefetch(reinterpret_cast<const void*>(ahead + 64 * line));
        visit(*child[i]);
    }
}

} // namespace

Node::Node()
{
}

Node::~Node()
{
    // Children that others still share must not point back at us.
    for (size_t i = 0; i < m_children.size(); ++i)
    {
        if (m_children[i] && m_children[i]->GetParent() == this)
            m_children[i]->SetParent(0);
    }
}

void Node::UpdateWorldTransform(float time)
{
    Spatial::UpdateWorldTransform(time);
    WalkChildren(m_children, [time](Spatial& child) { child.Update(time, false); });
}

void Node::UpdateWorldBound()
{
    const size_t n = m_children.size();
    if (n == 0)
        return;
    m_pWorldBound->CopyFrom(m_children[0]->GetWorldBound());
    for (size_t i = 1; i < n; ++i)
        m_pWorldBound->Merge(m_children[i]->GetWorldBound());
}

void Node::CollectVisible(Culler& culler)
{
    const unsigned int mask = culler.GetPlaneMask();
    WalkChildren(m_children, [&culler, mask](Spatial& child) {
        child.OnCollectVisible(culler);
        culler.SetPlaneMask(mask);
    });
}

void Node::Traverse(ISceneVisitor& visitor)
{
    if (!visitor.VisitNode(this))
        return;
    for (size_t i = 0; i < m_children.size(); ++i)
        m_children[i]->Traverse(visitor);
}

int Node::AttachChild(Spatial* child)
{
    if (!child)
        return -1;

    boost::shared_ptr<Spatial> owner;
    if (child->GetParent())
    {
        Spatial* oldParent = child->GetParent();
        Node* oldNode = dynamic_cast<Node*>(oldParent);
        if (oldNode)
            owner = oldNode->DetachChild(child);
        child->SetParent(0);
    }
    if (!owner)
    {
        // A child already held by a shared pointer keeps that one owner count;
        // a second, independent owner would delete it twice.
        owner = child->weak_from_this().lock();
        if (!owner)
            owner.reset(child);
    }
    child->SetParent(this);

    for (size_t i = 0; i < m_children.size(); ++i)
    {
        if (!m_children[i])
        {
            m_children[i] = owner;
            return static_cast<int>(i);
        }
    }
    m_children.push_back(owner);
    return static_cast<int>(m_children.size() - 1);
}

boost::shared_ptr<Spatial> Node::DetachChild(Spatial* child)
{
    boost::shared_ptr<Spatial> result;
    if (!child)
        return result;
    for (size_t i = 0; i < m_children.size(); ++i)
    {
        if (m_children[i].get() == child)
        {
            result = m_children[i];
            child->SetParent(0);
            m_children[i].reset();
            m_children.erase(m_children.begin() + i);
            return result;
        }
    }
    return result;
}

boost::shared_ptr<Spatial> Node::GetChild(int index) const
{
    if (index < 0 || index >= static_cast<int>(m_children.size()))
        return boost::shared_ptr<Spatial>();
    return m_children[index];
}

} // namespace Vorm
