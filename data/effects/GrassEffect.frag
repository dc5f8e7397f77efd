#version 140

// Grass clump: alpha-tested clump texture. The test comes first, so the
// see-through part of a clump does no further work.

uniform sampler2D Tex_Grass;

in vec2 vTexCoord;
in vec3 vTint;

out vec4 fragColor;

void main()
{
    vec4 texel = texture(Tex_Grass, vTexCoord);
    if (texel.a < 0.5)
        discard;
    // Lifted a little towards the lit ground it stands on, so distant clumps
    // do not read as dark holes in the meadow.
    fragColor = vec4(texel.rgb * vTint * vec3(1.2, 1.2, 1.1), 1.0);
}
