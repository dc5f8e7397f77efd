#ifndef VORM_RENDERGL_GLSLUNIFORMPARAMSORTPAIR_H
#define VORM_RENDERGL_GLSLUNIFORMPARAMSORTPAIR_H

#include <string>

namespace Vorm {

// One request of GLSLProgram::GetUniforms: where the handle goes in the
// output list, whether its absence is a failure, and the uniform's name.
struct GLSLUniformParamSortPair
{
    int m_index;
    bool m_bRequired;
    std::string m_name;
};

} // namespace Vorm

#endif
