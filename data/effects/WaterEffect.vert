#version 140

// Water surface: clip position for the projective look-ups, world position
// for the ripples and the eye, all from the renderer's automatic matrices.

in vec3 pos;

uniform mat4 Matrix_M;
uniform mat4 Matrix_MVI;
uniform mat4 Matrix_MVP;

out vec4 vClip;
out vec3 vWorldPos;
out vec3 vEyePos;

void main()
{
    vWorldPos = (Matrix_M * vec4(pos, 1.0)).xyz;
    // M * (V M)^-1 = V^-1: the camera's place in the world.
    vEyePos = (Matrix_M * (Matrix_MVI * vec4(0.0, 0.0, 0.0, 1.0))).xyz;
    vClip = Matrix_MVP * vec4(pos, 1.0);
    gl_Position = vClip;
}
