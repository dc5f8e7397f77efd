#version 140

// Surface material: hands world-space position, normal and tangent to the
// fragment stage and writes the clip distance for the water's clip plane.

in vec3 pos;
in vec3 normal;
in vec2 tex0;
in vec3 tangent;

uniform mat4 Matrix_M;
uniform mat4 Matrix_MV;
uniform mat4 Matrix_MVP;
uniform vec4 Clipping_Plane;

out vec3 vWorldPos;
out vec3 vNormal;
out vec3 vTangent;
out vec2 vTexCoord;
out float vViewDepth;

void main()
{
    vec4 world = Matrix_M * vec4(pos, 1.0);
    // Transforms carry uniform scale only, so the model matrix's upper 3x3
    // keeps normals perpendicular.
    mat3 rotation = mat3(Matrix_M);
    vWorldPos = world.xyz;
    vNormal = rotation * normal;
    vTangent = rotation * tangent;
    vTexCoord = tex0;
    // Split distances are measured along the viewer's view direction.
    vViewDepth = -(Matrix_MV * vec4(pos, 1.0)).z;
    // Zero while no clip plane is set; GL clips only while clipping is on.
    gl_ClipDistance[0] = dot(Clipping_Plane, world);
    gl_Position = Matrix_MVP * vec4(pos, 1.0);
}
