#include "Platform/Win32GL.h"

#include "SurfaceAttributes.h"
#include "WindowRecord.h"

#include <algorithm>
#include <vector>

namespace Win32 {

struct ContextRecord
{
    SDL_GLContext context;
    WindowRecord* surface;
};

namespace {

std::vector<ContextRecord*> g_contexts;

ContextRecord* FindContext(HGLRC context)
{
    for (ContextRecord* c : g_contexts)
        if (c == context)
            return c;
    return nullptr;
}

// SDL makes a new context current; the system's calls leave the current one alone.
class KeepCurrent
{
public:
    KeepCurrent() : m_window(SDL_GL_GetCurrentWindow()), m_context(SDL_GL_GetCurrentContext()) {}
    ~KeepCurrent() { SDL_GL_MakeCurrent(m_context ? m_window : nullptr, m_context); }

private:
    SDL_Window* m_window;
    SDL_GLContext m_context;
};

HGLRC MakeContext(WindowRecord* surface, int major, int minor, int flags, int profile)
{
    RequestSurface(surface->doubleBuffer, surface->depthBits, surface->stencilBits, 0);
    if (major > 0) {
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, major);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, minor);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_FLAGS, flags);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, profile);
    }
    SDL_GLContext context;
    {
        KeepCurrent keep;
        context = SDL_GL_CreateContext(surface->window);
    }
    if (!context)
        return nullptr;
    ContextRecord* record = new ContextRecord{context, surface};
    ++surface->contexts;
    g_contexts.push_back(record);
    return record;
}

} // namespace

int CountLiveContexts()
{
    return static_cast<int>(g_contexts.size());
}

HDC GetWindowDC(HWND hwnd)
{
    return FindLiveWindow(hwnd);
}

int ChoosePixelFormat(HDC hdc, const PIXELFORMATDESCRIPTOR* pDesc)
{
    if (!FindLiveWindow(hdc) || !pDesc)
        return 0;
    const DWORD needed = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL;
    if ((pDesc->dwFlags & needed) != needed || pDesc->iPixelType != PFD_TYPE_RGBA)
        return 0;
    // One format per window: the visual it was made with.
    return 1;
}

BOOL SetPixelFormat(HDC hdc, int format, const PIXELFORMATDESCRIPTOR* pDesc)
{
    WindowRecord* w = FindLiveWindow(hdc);
    if (!w || !pDesc || format != 1 || w->formatSet)
        return 0;
    w->formatSet = true;
    w->doubleBuffer = (pDesc->dwFlags & PFD_DOUBLEBUFFER) != 0;
    w->depthBits = std::min<int>(pDesc->cDepthBits, w->surfaceDepthBits);
    w->stencilBits = std::min<int>(pDesc->cStencilBits, 8);
    return 1;
}

HGLRC wglCreateContext(HDC hdc)
{
    WindowRecord* w = FindLiveWindow(hdc);
    if (!w || !w->formatSet)
        return nullptr;
    return MakeContext(w, 0, 0, 0, 0);
}

HGLRC wglCreateContextAttribsARB(HDC hdc, HGLRC share, const int* attribs)
{
    WindowRecord* w = FindLiveWindow(hdc);
    if (!w || !w->formatSet || share)
        return nullptr;
    int major = 1, minor = 0, flags = 0, profile = 0;
    for (const int* a = attribs; a && a[0] != 0; a += 2) {
        switch (a[0]) {
        case WGL_CONTEXT_MAJOR_VERSION_ARB: major = a[1]; break;
        case WGL_CONTEXT_MINOR_VERSION_ARB: minor = a[1]; break;
        case WGL_CONTEXT_FLAGS_ARB:
            flags = (a[1] & WGL_CONTEXT_FORWARD_COMPATIBLE_BIT_ARB) ? SDL_GL_CONTEXT_FORWARD_COMPATIBLE_FLAG : 0;
            break;
        case WGL_CONTEXT_PROFILE_MASK_ARB:
            profile = (a[1] & WGL_CONTEXT_CORE_PROFILE_BIT_ARB) ? SDL_GL_CONTEXT_PROFILE_CORE
                                                                 : SDL_GL_CONTEXT_PROFILE_COMPATIBILITY;
            break;
        default:
            return nullptr;
        }
    }
    return MakeContext(w, major, minor, flags, profile);
}

BOOL wglDeleteContext(HGLRC context)
{
    ContextRecord* c = FindContext(context);
    if (!c)
        return 0;
    if (SDL_GL_GetCurrentContext() == c->context)
        SDL_GL_MakeCurrent(nullptr, nullptr);
    SDL_GL_DeleteContext(c->context);
    g_contexts.erase(std::remove(g_contexts.begin(), g_contexts.end(), c), g_contexts.end());
    WindowRecord* surface = c->surface;
    delete c;
    --surface->contexts;
    ReleaseSurfaceIfUnused(surface);
    return 1;
}

BOOL wglMakeCurrent(HDC hdc, HGLRC context)
{
    if (!context)
        return SDL_GL_MakeCurrent(nullptr, nullptr) == 0;
    ContextRecord* c = FindContext(context);
    WindowRecord* w = FindSurface(hdc);
    if (!c || !w)
        return 0;
    return SDL_GL_MakeCurrent(w->window, c->context) == 0;
}

HGLRC wglGetCurrentContext()
{
    const SDL_GLContext current = SDL_GL_GetCurrentContext();
    for (ContextRecord* c : g_contexts)
        if (current && c->context == current)
            return c;
    return nullptr;
}

BOOL SwapBuffers(HDC hdc)
{
    WindowRecord* w = FindSurface(hdc);
    if (!w)
        return 0;
    SDL_GL_SwapWindow(w->window);
    return 1;
}

} // namespace Win32
