#ifndef VORM_PLATFORM_SURFACEATTRIBUTES_H
#define VORM_PLATFORM_SURFACEATTRIBUTES_H

// The drawing-surface request every GL window and context of the platform
// layer starts from: attributes reset, 8-bit RGB, then the given buffers.

#include <SDL.h>

namespace Win32 {

inline void RequestSurface(bool doubleBuffer, int depthBits, int stencilBits, int alphaBits)
{
    SDL_GL_ResetAttributes();
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, doubleBuffer ? 1 : 0);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, alphaBits);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, depthBits);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, stencilBits);
}

} // namespace Win32

#endif
