#ifndef VORM_CORE_RENDERING_VIEWPORT_H
#define VORM_CORE_RENDERING_VIEWPORT_H

namespace Vorm {

// The renderer's viewport rectangle in window pixels.
struct Viewport
{
    int x;
    int y;
    int width;
    int height;
};

} // namespace Vorm

#endif
