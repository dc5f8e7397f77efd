#ifndef VORM_TESTS_GLTESTCONTEXT_H
#define VORM_TESTS_GLTESTCONTEXT_H

#include <GL/glew.h>
#include <SDL.h>

#include <string>

// A hidden SDL2 window with an OpenGL 3.1 forward-compatible context, current
// on the calling thread, with GLEW initialised. Tests read back what GL did.
class GLTestContext
{
public:
    GLTestContext(int width = 64, int height = 64);
    ~GLTestContext();
    GLTestContext(const GLTestContext&) = delete;
    GLTestContext& operator=(const GLTestContext&) = delete;

    bool Ok() const { return m_context != nullptr; }
    const std::string& Error() const { return m_error; }
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    SDL_Window* Window() const { return m_window; }

    // RGBA8 of the default frame buffer at (x, y), origin bottom-left.
    static void ReadPixel(int x, int y, unsigned char rgba[4]);
    // Pops every queued GL error; returns the first (GL_NO_ERROR when none).
    static GLenum DrainErrors();

private:
    SDL_Window* m_window = nullptr;
    SDL_GLContext m_context = nullptr;
    int m_width;
    int m_height;
    std::string m_error;
};

#endif
