#ifndef VORM_PLATFORM_WINDOWRECORD_H
#define VORM_PLATFORM_WINDOWRECORD_H

#include "Platform/Win32Window.h"

#include <SDL.h>

// What a window handle points at, shared by the window and GL sources.
namespace Win32 {

struct WindowRecord
{
    SDL_Window* window = nullptr;
    Uint32 id = 0;
    WNDPROC proc = nullptr;
    LONG_PTR userData = 0;
    DWORD style = 0;
    int clientWidth = 0;
    int clientHeight = 0;
    bool alive = true;          // false once destroyed; kept while contexts use its surface
    bool fullscreen = false;
    int surfaceDepthBits = 0;   // depth buffer of the window's visual
    // Pixel format set on the surface.
    bool formatSet = false;
    bool doubleBuffer = true;
    int depthBits = 0;
    int stencilBits = 0;
    int contexts = 0;           // live GL contexts made on this surface
};

// Frees a destroyed window's surface once no context uses it any more.
void ReleaseSurfaceIfUnused(WindowRecord* record);

// Live (not destroyed) window, or null.
WindowRecord* FindLiveWindow(HWND hwnd);
// Any window whose surface still exists, destroyed or not; or null.
WindowRecord* FindSurface(HDC hdc);

} // namespace Win32

#endif
