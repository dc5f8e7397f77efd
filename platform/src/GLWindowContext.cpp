#include "Platform/GLWindowContext.h"

#include "SurfaceAttributes.h"

#include <GL/glew.h>
#include <SDL.h>

namespace Win32 {

bool StartVideo(std::string* pError)
{
    // Video stays up for the whole process: shutting it down closes the X
    // connection, and reopening it for every window makes glewInit fail now
    // and then. GLEW here is built for GLX, so windows must come from the X11
    // driver, never SDL's Wayland/EGL fallback; a busy X server may refuse a
    // first try.
    static const bool videoUp = [] {
        SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11");
        for (int attempt = 0; attempt < 5; ++attempt) {
            if (SDL_InitSubSystem(SDL_INIT_VIDEO) == 0)
                return true;
            SDL_Delay(200);
        }
        return false;
    }();
    if (!videoUp && pError)
        *pError = std::string("SDL_InitSubSystem: ") + SDL_GetError();
    return videoUp;
}

bool StartGLEW(std::string* pError)
{
    glewExperimental = GL_TRUE;
    const GLenum err = glewInit();
    if (err != GLEW_OK) {
        if (pError)
            *pError = std::string("glewInit: ") + reinterpret_cast<const char*>(glewGetErrorString(err));
        return false;
    }
    // glewInit with a core context leaves GL_INVALID_ENUM queued; it is not ours.
    for (int i = 0; i < 64 && glGetError() != GL_NO_ERROR; ++i) {
    }
    return true;
}

GLWindowContext::GLWindowContext(int width, int height, int major, int minor, bool visible)
    : m_width(width), m_height(height)
{
    if (!StartVideo(&m_error))
        return;
    RequestSurface(true, 24, 8, 8);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, major);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, minor);
    if (major >= 3)
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_FLAGS, SDL_GL_CONTEXT_FORWARD_COMPATIBLE_FLAG);
    m_window = SDL_CreateWindow("vorm", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, width, height,
                                SDL_WINDOW_OPENGL | (visible ? SDL_WINDOW_SHOWN : SDL_WINDOW_HIDDEN));
    if (!m_window) {
        m_error = std::string("SDL_CreateWindow: ") + SDL_GetError();
        return;
    }
    m_context = SDL_GL_CreateContext(m_window);
    if (!m_context) {
        m_error = std::string("SDL_GL_CreateContext: ") + SDL_GetError();
        return;
    }
    SDL_GL_MakeCurrent(m_window, m_context);
    if (!StartGLEW(&m_error)) {
        SDL_GL_DeleteContext(m_context);
        m_context = nullptr;
    }
}

GLWindowContext::~GLWindowContext()
{
    if (m_context) {
        SDL_GL_MakeCurrent(m_window, nullptr);
        SDL_GL_DeleteContext(m_context);
    }
    if (m_window)
        SDL_DestroyWindow(m_window);
}

void GLWindowContext::Swap()
{
    if (m_window)
        SDL_GL_SwapWindow(m_window);
}

} // namespace Win32
