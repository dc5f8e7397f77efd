#ifndef VORM_CORE_SCENEGRAPH_MESH_MESHBUFFERS_H
#define VORM_CORE_SCENEGRAPH_MESH_MESHBUFFERS_H

namespace Vorm {

class IIndexBuffer;
class IVertexBuffer;

// The uploaded vertex and index buffers of a mesh: their one owner, held by
// every mesh that draws them (the entities of one mesh file), so that the
// buffers go with the last.
class MeshBuffers
{
public:
    // Takes both buffers (either may be null).
    MeshBuffers(IVertexBuffer* vertices, IIndexBuffer* indices);
    ~MeshBuffers();

    IVertexBuffer* GetVertexBuffer() const { return m_pVertexBuffer; }
    IIndexBuffer* GetIndexBuffer() const { return m_pIndexBuffer; }
    // Hand a buffer over to be deleted by the caller (the last mesh drawing
    // it, so that the memory tracker names that mesh); null afterwards.
    IVertexBuffer* TakeVertexBuffer();
    IIndexBuffer* TakeIndexBuffer();

private:
    MeshBuffers(const MeshBuffers&);
    MeshBuffers& operator=(const MeshBuffers&);

    IVertexBuffer* m_pVertexBuffer;
    IIndexBuffer* m_pIndexBuffer;
};

} // namespace Vorm

#endif
