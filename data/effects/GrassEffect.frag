#version 140

// Grass clump: alpha-tested clump texture. The test comes first, so the
// see-through part of a clump does no further work. The atlas is read texel
// by texel, a quarter of the reads of filtering on the software rasteriser:
// seen from the flight a clump is seldom larger than its texels; close up,
// from the scene camera, its blades show them.

uniform sampler2D Tex_Grass;

in vec2 vTexCoord;
in vec3 vTint;

out vec4 fragColor;

void main()
{
    ivec2 size = textureSize(Tex_Grass, 0);
    vec4 texel = texelFetch(Tex_Grass, min(ivec2(vTexCoord * vec2(size)), size - 1), 0);
    if (texel.a < 0.5)
        discard;
    // Lifted a little towards the lit ground it stands on, so distant clumps
    // do not read as dark holes in the meadow.
    fragColor = vec4(texel.rgb * vTint * vec3(1.2, 1.2, 1.1), 1.0);
}
