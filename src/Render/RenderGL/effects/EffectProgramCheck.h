// Whether an effect's program builds, has the uniforms that the effect takes
// as given and reads only vertex inputs that the geometry it draws gives:
// the effects and the program's vertex binding assert on these, so whoever
// makes the effects from data that may be damaged asks first.
#ifndef VORM_RENDERGL_EFFECTS_EFFECTPROGRAMCHECK_H
#define VORM_RENDERGL_EFFECTS_EFFECTPROGRAMCHECK_H

#include "Core/Rendering/VertexFormat.h"

#include <initializer_list>
#include <string>

namespace Vorm {

class ApiEffect;

// Loads the program of the effect file through the renderer (which caches
// it for the effect). false when it does not build, a uniform is missing or
// an input is not fed (see CheckVertexInputs); `error` then names the file
// at fault and says what is wrong.
bool CheckEffectProgram(const char* effectFile, std::initializer_list<const char*> uniforms,
                        std::initializer_list<VertexFormat> geometry, std::string* error);

// false when one of the vertex layouts of the geometry the effect draws
// (`geometry`) lacks an active vertex input of the effect file's program, or
// gives it with another type or size; `error` then names the vertex shader
// and the input. Only GLSL programs (also wrapped as the material program)
// are looked at.
bool CheckVertexInputs(const char* effectFile, const ApiEffect& program, std::initializer_list<VertexFormat> geometry,
                       std::string* error);

} // namespace Vorm

#endif
