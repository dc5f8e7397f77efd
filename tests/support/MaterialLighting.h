#ifndef VORM_TESTS_MATERIALLIGHTING_H
#define VORM_TESTS_MATERIALLIGHTING_H

#include "GLReadBack.h"

#include "Core/Math/Vector4.h"
#include "Core/Scenegraph/Light.h"

// The colour the material shader gives a surface under one directional light,
// without specular, for GL tests to compare pixels with.

// `facing` is the cosine between the normal and the way to the light (negative
// on faces turned away); `shadow` is 0 inside a shadow and 1 outside. The
// light's ambient falls on the ambient colour, and, shaped by `facing`, on the
// diffuse colour; its diffuse falls on the diffuse colour of lit faces only.
// The result is clamped to what a colour buffer holds.
Rgb MaterialColour(const Vorm::Light& light, const Vector4<float>& ambient, const Vector4<float>& diffuse,
                   float facing, float shadow = 1.0f);

#endif
