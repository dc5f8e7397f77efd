#version 140

// Shadow caster seen from the light: Matrix_LVP is the split's light matrix
// times the caster's world matrix.

in vec3 pos;

uniform mat4 Matrix_LVP;

void main()
{
    gl_Position = Matrix_LVP * vec4(pos, 1.0);
}
