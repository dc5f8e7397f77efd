// Whether an effect's program builds and has the uniforms that the effect
// takes as given: the effects assert on both, so whoever makes them from
// data that may be damaged asks first.
#ifndef VORM_RENDERGL_EFFECTS_EFFECTPROGRAMCHECK_H
#define VORM_RENDERGL_EFFECTS_EFFECTPROGRAMCHECK_H

#include <initializer_list>
#include <string>

namespace Vorm {

// Loads the program of the effect file through the renderer (which caches
// it for the effect). false when it does not build or a uniform is missing;
// `error` then names the file at fault and says what is wrong.
bool CheckEffectProgram(const char* effectFile, std::initializer_list<const char*> uniforms, std::string* error);

} // namespace Vorm

#endif
