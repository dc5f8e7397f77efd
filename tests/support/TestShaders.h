#ifndef VORM_TESTS_TESTSHADERS_H
#define VORM_TESTS_TESTSHADERS_H

#include "TempFolder.h"

#include "RenderGL/effects/api/glsl/GLSLProgram.h"

#include <memory>
#include <string>

// Small GLSL 1.40 sources and effect files shared by the GL tests.
namespace TestShaders {

// Position through Matrix_MVP.
const char* PositionVS();
// One flat colour from the uniform "Color".
const char* ColorFS();
// One technique with one pass of the two shader files.
std::string Effect(const std::string& vs, const std::string& fs);
// Writes "pos.vert", "color.frag" and "Flat.glslfx" (the two as one pass).
void WriteFlat(const TempFolder& folder);

// Compiles the two sources from files in `folder` and links them into a new
// program; `log` receives a compile or link log on failure (the program is
// returned all the same).
std::unique_ptr<Vorm::GLSLProgram> BuildProgram(const TempFolder& folder, const std::string& vs,
                                                const std::string& fs, std::string& log, bool* linked = nullptr);

// The context's own version (GLEW's flags also claim versions whose entry
// points merely load).
bool ContextOffersGL32();

} // namespace TestShaders

#endif
