#version 140

// Planar water: the mirrored scene and the scene below, both shifted by two
// layers of ripple normals, mixed by a Schlick fresnel term: clear water seen
// from above, a mirror at grazing angles.

uniform sampler2D Sampler_Reflection;
uniform sampler2D Sampler_Refraction;
uniform sampler2D Sampler_WaterRipples;

in vec4 vClip;
in vec3 vWorldPos;
in vec2 vRipple1;
in vec2 vRipple2;
flat in vec3 fEyePos;

out vec4 fragColor;

// Screen-space shift per unit of ripple slope.
const float kDistortion = 0.025;
// How strongly the ripples tilt the fresnel normal.
const float kNormalTilt = 0.35;
// Reflectance straight down.
const float kF0 = 0.1;
const vec3 kWaterTint = vec3(0.55, 0.72, 0.76);
const vec3 kDeepColour = vec3(0.01, 0.05, 0.07);

void main()
{
    vec3 n1 = texture(Sampler_WaterRipples, vRipple1).rgb * 2.0 - 1.0;
    vec3 n2 = texture(Sampler_WaterRipples, vRipple2).rgb * 2.0 - 1.0;
    vec2 slope = (n1.xy + n2.xy) * 0.5;
    vec2 shift = slope * kDistortion;

    vec2 screen = vClip.xy / vClip.w * 0.5 + 0.5;
    vec3 reflection = texture(Sampler_Reflection, clamp(screen + shift, 0.001, 0.999)).rgb;

    // The refraction image is the frame copied from the lower left; alpha 0
    // marks pixels under water. A shifted look-up that lands on something in
    // front of the water falls back to the pixel itself, read as it is.
    // Without a branch: a condition fed by the ripple time makes some drivers
    // build a new shader variant for every new ripple time.
    // The image has the window's size; the look-ups stay inside it all the same.
    ivec2 size = textureSize(Sampler_Refraction, 0);
    vec2 texel = gl_FragCoord.xy / vec2(size);
    vec4 shifted = texture(Sampler_Refraction, clamp(texel + shift, 0.001, 0.999));
    vec3 unshifted = texelFetch(Sampler_Refraction, min(ivec2(gl_FragCoord.xy), size - 1), 0).rgb;
    vec3 refraction = mix(shifted.rgb, unshifted, step(0.5, shifted.a)) * kWaterTint + kDeepColour;

    vec3 normal = normalize(vec3(slope.x * kNormalTilt, 1.0, slope.y * kNormalTilt));
    vec3 toEye = normalize(fEyePos - vWorldPos);
    float cosine = clamp(dot(toEye, normal), 0.0, 1.0);
    float edge = 1.0 - cosine;
    float edge2 = edge * edge;
    float fresnel = kF0 + (1.0 - kF0) * (edge2 * edge2 * edge);

    fragColor = vec4(mix(refraction, reflection, fresnel), 1.0);
}
