#version 140

// Plain light lines.

out vec4 fragColor;

void main()
{
    fragColor = vec4(0.9, 0.9, 0.9, 1.0);
}
