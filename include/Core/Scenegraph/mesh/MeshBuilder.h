#ifndef VORM_CORE_SCENEGRAPH_MESH_MESHBUILDER_H
#define VORM_CORE_SCENEGRAPH_MESH_MESHBUILDER_H

namespace Vorm {

class TriangleMesh;

// Fills empty meshes with simple shapes centred on the origin.
class MeshBuilder
{
public:
    // Box with VT_Pos corners and one-byte indices; triangles run
    // counter-clockwise seen from outside.
    void CreateBox(TriangleMesh* mesh, float width, float height, float depth);
    // Quad in the plane z = 0 facing +z, VT_PosNorTex, uv (0,0)..(1,1).
    void CreatePlane(TriangleMesh* mesh, float width, float height);
};

} // namespace Vorm

#endif
