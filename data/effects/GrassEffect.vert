#version 140

// Grass clump corner: all four corners of a clump carry its anchor on the
// ground; sc2_tx2 holds the corner's sideways offset, its height and its
// texture coordinate. The clump stands upright around the anchor and turns to
// face the camera (a cylindrical billboard); the noise image bends and varies
// it; past the fade distance it shrinks to nothing, which costs no fragments.
// The patch keeps the identity transform, so anchors are world positions.

in vec3 pos;
in vec4 sc2_tx2;

uniform mat4 Matrix_MVP;
uniform vec3 camUp;
uniform vec3 camRight;
uniform vec3 camPosition;
uniform float farDist;
uniform sampler2D Tex_GrassNoise;

out vec2 vTexCoord;
out vec3 vTint;

// Distances from the camera: clumps start to thin out at kFadeStart and are
// all gone at kFadeEnd (or at farDist when that is nearer).
const float kFadeStart = 70.0;
const float kFadeEnd = 190.0;
// World units over which the noise image repeats (mirrored, so without seams).
const float kNoiseSpan = 160.0;
// How far the clump's top may bend sideways, per unit of its height.
const float kBend = 0.28;
// How much the clumps lean back when the camera looks down on them, so they
// do not shrink to slivers seen from above.
const float kViewTilt = 0.45;

void main()
{
    vec3 toCamera = camPosition - pos;
    float dist = length(toCamera);

    // Each clump has its own fade-out distance, so the meadow thins out with
    // distance instead of all clumps shrinking at once.
    float own = fract(sin(dot(pos.xz, vec2(12.9898, 78.233))) * 43758.5453);
    float fadeEnd = min(farDist, kFadeEnd);
    float gone = mix(kFadeStart, fadeEnd, 0.25 + 0.75 * own);
    float size = 1.0 - smoothstep(gone * 0.75, gone, dist);
    if (size <= 0.0) {
        // All four corners in one spot outside the view: nothing is rasterised.
        gl_Position = vec4(2.0, 2.0, 2.0, 1.0);
        vTexCoord = vec2(0.0);
        vTint = vec3(0.0);
        return;
    }

    vec2 noiseCoord = abs(fract(pos.xz / (2.0 * kNoiseSpan)) * 2.0 - 1.0);
    vec3 noise = textureLod(Tex_GrassNoise, noiseCoord, 0.0).rgb;

    // Sideways axis: horizontal and across the line of sight.
    vec3 side = vec3(toCamera.z, 0.0, -toCamera.x);
    if (dot(side, side) < 1e-6)
        side = vec3(camRight.x, 0.0, camRight.z);
    side = normalize(side);
    vec3 up = normalize(vec3(0.0, 1.0, 0.0) + kViewTilt * vec3(camUp.x, 0.0, camUp.z));

    float height = sc2_tx2.y * size * (0.8 + 0.4 * noise.b);
    vec3 bend = vec3(noise.r - 0.5, 0.0, noise.g - 0.5) * (2.0 * kBend);
    vec3 corner = pos + side * (sc2_tx2.x * size) + up * height + bend * height;

    vTexCoord = sc2_tx2.zw;
    // Darker at the roots, with a little colour variation across the field.
    float root = sc2_tx2.y > 0.0 ? 1.0 : 0.5;
    vTint = root * mix(vec3(0.8, 0.92, 0.7), vec3(1.05, 1.0, 0.85), noise.g);
    gl_Position = Matrix_MVP * vec4(corner, 1.0);
}
