#version 140

// Geometry position only, for line drawing.

in vec3 pos;

uniform mat4 Matrix_MVP;

void main()
{
    gl_Position = Matrix_MVP * vec4(pos, 1.0);
}
