#version 140

// The cube's object-space position is the look-up direction.

uniform samplerCube Sampler_Cubemap;

in vec3 vDirection;

out vec4 fragColor;

void main()
{
    fragColor = vec4(texture(Sampler_Cubemap, vDirection).rgb, 1.0);
}
