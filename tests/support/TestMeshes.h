// Lit test meshes for the material program (which reads position, normal,
// texture coordinate and tangent) and flat-coloured materials to draw them.
#ifndef VORM_TESTS_TESTMESHES_H
#define VORM_TESTS_TESTMESHES_H

#include "Core/Math/Vector3.h"
#include "Core/Math/Vector4.h"
#include "Core/Rendering/IMaterialEffect.h"

#include <boost/shared_ptr.hpp>

namespace Vorm {
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

} // namespace TestMeshes

#endif
