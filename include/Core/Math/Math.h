#ifndef VORM_CORE_MATH_MATH_H
#define VORM_CORE_MATH_MATH_H

// The whole math library in one include.
#include "Core/Math/MathFunctions.h"
#include "Core/Math/Vector2.h"
#include "Core/Math/Vector3.h"
#include "Core/Math/Vector4.h"
#include "Core/Math/Matrix33.h"
#include "Core/Math/Matrix44.h"
#include "Core/Math/Plane.h"
#include "Core/Math/MatrixBuilders.h"
#include "Core/Math/Quaternion.h"

#endif
