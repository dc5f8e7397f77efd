#version 140

// Grass clump corner: all four corners of a clump carry its anchor on the
// ground; sc2_tx2 holds the corner's sideways offset, its height and its
// texture coordinate. The clump stands upright around the anchor and turns to
// face the camera (a cylindrical billboard); the noise image bends and varies
// it. The patch keeps the identity transform, so anchors are world positions.
//
// The meadow is thinned with the view, so that it costs about the same to
// draw near and far: the flatter the camera looks across the ground, the more
// clumps stand one behind another in every pixel, and the fewer are kept.
// Far away the kept clumps are smaller and more of them are kept, so distant
// meadow reads as fine grass rather than as a few big tufts on the skyline.
// A clump's own random value, fixed by its anchor, decides the view at which
// it goes, and it shrinks away over a band of views, so nothing pops as the
// camera moves. A clump that is gone has all four corners in one spot outside
// the view, which costs no fragments. There are no branches: the software
// rasteriser would run both sides of each for every corner anyway.

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

// Share of the clumps kept, per squared sine of the angle at which the camera
// looks down on them (at full size; smaller clumps are kept more often).
const float kCover = 2.0;
// Near the camera clumps are kept whatever the view, as many as the square of
// kNear over their distance tells, so a low camera still stands in thick grass.
const float kNear = 35.0;
// Lowest sine counted: slopes facing the camera are seen more steeply than
// the line of sight alone tells.
const float kMinSine = 0.08;
// Clumps keep their size up to kShrinkFrom and are kFarSize of it from
// kShrinkTo on.
const float kShrinkFrom = 100.0;
const float kShrinkTo = 400.0;
const float kFarSize = 0.55;
// Part of its keeping range over which a clump grows in or shrinks away.
const float kFadeBand = 0.35;
// World units over which the noise image repeats (mirrored, so without seams).
const float kNoiseSpan = 160.0;
// How far the clump's top may bend sideways, per unit of its height.
const float kBend = 0.28;
// How much the clumps lean back when the camera looks down on them, so they
// do not shrink to slivers seen from above.
const float kViewTilt = 0.45;

// A value in [0, 1) that stays with the clump (its anchor never moves). The
// anchors are jittered off their sampling grid by more than this needs to
// spread evenly, and it is cheap.
float ClumpValue(vec2 p)
{
    return fract(52.9829189 * fract(dot(p, vec2(0.06711056, 0.00583715))));
}

void main()
{
    vec3 toCamera = camPosition - pos;
    float invDist = inversesqrt(max(dot(toCamera, toCamera), 1e-6));
    float dist = dot(toCamera, toCamera) * invDist;

    float scale = mix(1.0, kFarSize, clamp((dist - kShrinkFrom) / (kShrinkTo - kShrinkFrom), 0.0, 1.0));
    float sine = max(toCamera.y * invDist, kMinSine);
    float near = kNear * invDist;
    float keep = max(kCover * sine * sine / (scale * scale), near * near);
    float size = scale * clamp((keep - ClumpValue(pos.xz)) / (kFadeBand * keep), 0.0, 1.0) * step(dist, farDist);

    // The noise image, mirrored, read texel by texel (it is smooth).
    ivec2 noiseSize = textureSize(Tex_GrassNoise, 0);
    vec2 noiseCoord = abs(fract(pos.xz / (2.0 * kNoiseSpan)) * 2.0 - 1.0);
    vec3 noise = texelFetch(Tex_GrassNoise, min(ivec2(noiseCoord * vec2(noiseSize)), noiseSize - 1), 0).rgb;

    // Sideways axis: horizontal and across the line of sight; the camera's
    // right decides under the camera, where the line of sight is vertical.
    vec2 across = vec2(toCamera.z, -toCamera.x) + 1e-3 * camRight.xz;
    across *= inversesqrt(max(dot(across, across), 1e-12));
    vec3 side = vec3(across.x, 0.0, across.y);
    vec3 up = vec3(0.0, 1.0, 0.0) + kViewTilt * vec3(camUp.x, 0.0, camUp.z);

    float height = sc2_tx2.y * size * (0.8 + 0.4 * noise.b);
    vec3 bend = vec3(noise.r - 0.5, 0.0, noise.g - 0.5) * (2.0 * kBend);
    vec3 corner = pos + side * (sc2_tx2.x * size) + (up + bend) * height;

    vTexCoord = sc2_tx2.zw;
    // Darker at the roots, with a little colour variation across the field.
    float root = sc2_tx2.y > 0.0 ? 1.0 : 0.5;
    vTint = root * mix(vec3(0.8, 0.92, 0.7), vec3(1.05, 1.0, 0.85), noise.g);
    gl_Position = size > 0.0 ? Matrix_MVP * vec4(corner, 1.0) : vec4(2.0, 2.0, 2.0, 1.0);
}
