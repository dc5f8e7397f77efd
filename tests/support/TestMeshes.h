// Lit test meshes for the material program (which reads position, normal,
// texture coordinate and tangent), flat-coloured materials and the lit draw.
#ifndef VORM_TESTS_TESTMESHES_H
#define VORM_TESTS_TESTMESHES_H

#include "Core/Math/Vector3.h"
#include "Core/Math/Vector4.h"
#include "Core/Rendering/IMaterialEffect.h"

#include <boost/shared_ptr.hpp>

#include <vector>

namespace Vorm {
class IRenderer;
class TriangleMesh;
}

namespace TestMeshes {

// Box centred on the origin, 24 VT_PosNorTexTan vertices with flat normals,
// counter-clockwise seen from outside.
void LitBox(Vorm::TriangleMesh* mesh, float width, float height, float depth);
// Quad in the plane y = 0 facing +y, VT_PosNorTexTan.
void LitGround(Vorm::TriangleMesh* mesh, float width, float depth);
// The same quad with VT_Pos vertices only (water surfaces).
void FlatQuad(Vorm::TriangleMesh* mesh, float width, float depth);

// A GL material of one colour (ambient and diffuse), lit by light 0, no
// specular highlight.
boost::shared_ptr<Vorm::IMaterialEffect> Material(const Vector4<float>& colour, bool shadowReceiver);

// The effects scene: a red box on a green ground that receive shadows, and a
// water quad in front of them.
void BoxOnGroundByWater(Vorm::TriangleMesh* ground, Vorm::TriangleMesh* box, Vorm::TriangleMesh* water);

// The lit pass as the demo draws it: clear, then each mesh with its material
// under the renderer's camera. The meshes share one material program.
void DrawLit(Vorm::IRenderer& renderer, const std::vector<Vorm::TriangleMesh*>& meshes, const Vector4<float>& clear);

} // namespace TestMeshes

#endif
