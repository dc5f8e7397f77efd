#ifndef VORM_CORE_SCENEGRAPH_SCREENPOINT_H
#define VORM_CORE_SCENEGRAPH_SCREENPOINT_H

#include <cstdint>

namespace Vorm {

// A mouse position or movement in window pixels, 16 bits per coordinate.
struct ScreenPoint
{
    std::int16_t x;
    std::int16_t y;
};

} // namespace Vorm

#endif
