#version 140

// Depth only: the target has no colour buffer.

void main()
{
}
