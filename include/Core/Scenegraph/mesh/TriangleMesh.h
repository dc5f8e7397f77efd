#ifndef VORM_CORE_SCENEGRAPH_MESH_TRIANGLEMESH_H
#define VORM_CORE_SCENEGRAPH_MESH_TRIANGLEMESH_H

#include "Core/Rendering/BufferData.h"
#include "Core/Rendering/DataFormat.h"
#include "Core/Rendering/VertexFormat.h"
#include "Core/Scenegraph/Geometry.h"

#include <boost/shared_ptr.hpp>

namespace Vorm {

class BoundingVolume;
class IMaterialEffect;
class MeshBuffers;

// Indexed triangle list filled once from caller arrays, or drawing the
// buffers of another such mesh; holds its vertex and index buffers (made
// through the renderer) with every mesh that shares them, and shares its
// material.
class TriangleMesh : public Geometry
{
public:
    TriangleMesh();
    virtual ~TriangleMesh();

    // Uploads vertices and indices (the buffers copy the data) and takes the
    // bound's centre and radius as the local bound (null keeps it). Answers true.
    bool Create(const BufferData& vertices, const VertexFormat* format,
                const BufferData& indices, const DataType& indexType,
                const BoundingVolume* bound);
    // Draws the buffers of a created mesh, with its local bound, instead of
    // uploading its own: many entities of one mesh file hold one upload,
    // released with the last of them.
    void ShareBuffers(const TriangleMesh& source);

    void SetMaterialEffect(boost::shared_ptr<IMaterialEffect> effect);
    boost::shared_ptr<IMaterialEffect> GetMaterialEffect() const;

    bool IsCreated() const { return m_bCreated; }

private:
    TriangleMesh(const TriangleMesh&);
    TriangleMesh& operator=(const TriangleMesh&);

    void ReleaseBuffers();

    bool m_bCreated;
    boost::shared_ptr<MeshBuffers> m_spBuffers;
    boost::shared_ptr<IMaterialEffect> m_spMaterialEffect;
};

} // namespace Vorm

#endif
