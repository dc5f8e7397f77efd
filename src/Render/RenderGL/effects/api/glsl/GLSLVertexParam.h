#ifndef VORM_RENDERGL_GLSLVERTEXPARAM_H
#define VORM_RENDERGL_GLSLVERTEXPARAM_H

#include <string>

namespace Vorm {

// One active vertex input of a linked program, as the driver reports it.
struct GLSLVertexParam
{
    GLSLVertexParam(const std::string& name, int location, unsigned type, unsigned size)
        : m_name(name), m_location(location), m_size(size), m_type(type)
    {
    }

    std::string m_name;
    int m_location;
    unsigned m_size; // array size, 1 for a plain input
    unsigned m_type; // GLSL type, e.g. GL_FLOAT_VEC3
};

} // namespace Vorm

#endif
