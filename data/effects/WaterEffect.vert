#version 140

// Water surface: clip position for the projective look-ups, world position
// and eye for the fresnel term, and the two ripple layers' texture
// coordinates, which drift with DeltaTime. The ripple coordinates are affine
// in the position, so they are worked out here and interpolate exactly: the
// software rasteriser pays for every uniform a fragment reads.

in vec3 pos;

uniform mat4 Matrix_M;
uniform mat4 Matrix_MVI;
uniform mat4 Matrix_MVP;
uniform float DeltaTime;

out vec4 vClip;
out vec3 vWorldPos;
out vec2 vRipple1;
out vec2 vRipple2;
flat out vec3 fEyePos;

// Ripple tiles per world unit and their drift per unit of ripple time.
const vec2 kScale1 = vec2(0.11, 0.11);
const vec2 kScale2 = vec2(0.067, 0.071);
const vec2 kDrift1 = vec2(6.0, 3.5);
const vec2 kDrift2 = vec2(-4.0, 7.0);

void main()
{
    vWorldPos = (Matrix_M * vec4(pos, 1.0)).xyz;
    // M * (V M)^-1 = V^-1: the camera's place in the world.
    fEyePos = (Matrix_M * (Matrix_MVI * vec4(0.0, 0.0, 0.0, 1.0))).xyz;
    vRipple1 = vWorldPos.xz * kScale1 + DeltaTime * kDrift1;
    vRipple2 = vWorldPos.xz * kScale2 + DeltaTime * kDrift2;
    vClip = Matrix_MVP * vec4(pos, 1.0);
    gl_Position = vClip;
}
