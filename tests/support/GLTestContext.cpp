#include "GLTestContext.h"

GLTestContext::GLTestContext(int width, int height) : m_width(width), m_height(height)
{
    // Video stays initialised for the whole process: shutting it down closes the
    // X connection, and reopening it for every test makes glewInit fail now and then.
    // GLEW here is built for GLX, so the context must come from the X11 driver,
    // never SDL's Wayland/EGL fallback; a busy X server may refuse a first try.
    static const bool videoUp = [] {
        SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11");
        for (int attempt = 0; attempt < 5; ++attempt) {
            if (SDL_InitSubSystem(SDL_INIT_VIDEO) == 0)
                return true;
            SDL_Delay(200);
        }
        return false;
    }();
    if (!videoUp) {
        m_error = std::string("SDL_InitSubSystem: ") + SDL_GetError();
        return;
    }
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_FLAGS, SDL_GL_CONTEXT_FORWARD_COMPATIBLE_FLAG);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 8);
    m_window = SDL_CreateWindow("vorm-test", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED,
                                width, height, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
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
    glewExperimental = GL_TRUE;
    GLenum err = glewInit();
    if (err != GLEW_OK) {
        m_error = std::string("glewInit: ") + reinterpret_cast<const char*>(glewGetErrorString(err));
        SDL_GL_DeleteContext(m_context);
        m_context = nullptr;
        return;
    }
    // glewInit with a core context leaves GL_INVALID_ENUM queued; it is not ours.
    DrainErrors();
}

GLTestContext::~GLTestContext()
{
    if (m_context) {
        SDL_GL_MakeCurrent(m_window, nullptr);
        SDL_GL_DeleteContext(m_context);
    }
    if (m_window)
        SDL_DestroyWindow(m_window);
}

void GLTestContext::ReadPixel(int x, int y, unsigned char rgba[4])
{
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
}

GLenum GLTestContext::DrainErrors()
{
    GLenum first = GL_NO_ERROR;
    for (int i = 0; i < 64; ++i) {
        GLenum e = glGetError();
        if (e == GL_NO_ERROR)
            break;
        if (first == GL_NO_ERROR)
            first = e;
    }
    return first;
}
