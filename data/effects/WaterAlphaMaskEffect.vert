#version 140

// Water surface position only: the mask marks the pixels it covers.

in vec3 pos;

uniform mat4 Matrix_MVP;

void main()
{
    gl_Position = Matrix_MVP * vec4(pos, 1.0);
}
