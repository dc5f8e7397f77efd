#ifndef VORM_APP_WINGLAPP_WINDOWDESC_H
#define VORM_APP_WINGLAPP_WINDOWDESC_H

#include <cstdint>

namespace Vorm {

// Placement and mode the application opens its window with.
struct WindowDesc
{
    std::uint16_t x = 100;
    std::uint16_t y = 100;
    std::uint16_t width = 1024;
    std::uint16_t height = 768;
    bool fullscreen = true;
};

} // namespace Vorm

#endif
