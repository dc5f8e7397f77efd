#include "Core/Scenegraph/BoundingVolume.h"

namespace Vorm {

// A fresh bound is a point at the origin until its owner sets it.
BoundingVolume::BoundingVolume() : m_fRadius(0.0f), m_vCenter(0.0f, 0.0f, 0.0f), m_uKind(eKind_Sphere)
{
}

BoundingVolume::~BoundingVolume()
{
}

} // namespace Vorm
