#version 140

// Sky cube around the viewer. Depth is forced to the far plane (z = w), so
// neither the near nor the far plane clips the sky and it passes the
// less-or-equal test only where nothing else was drawn.

in vec3 pos;

uniform mat4 Matrix_MVP;

out vec3 vDirection;

void main()
{
    vDirection = pos;
    gl_Position = (Matrix_MVP * vec4(pos, 1.0)).xyww;
}
