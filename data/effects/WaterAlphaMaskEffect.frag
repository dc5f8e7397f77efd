#version 140

// Alpha 0 under the water surface (only alpha is written). The surface pass
// then knows which refraction pixels lie under water.

out vec4 fragColor;

void main()
{
    fragColor = vec4(0.0, 0.0, 0.0, 0.0);
}
