#ifndef VORM_APP_WINGLAPP_GLCONTEXTDESC_H
#define VORM_APP_WINGLAPP_GLCONTEXTDESC_H

#include <cstdint>

namespace Vorm {

// The OpenGL version a window's context is asked for.
struct GLContextDesc
{
    std::uint8_t major;
    std::uint8_t minor;
};

} // namespace Vorm

#endif
