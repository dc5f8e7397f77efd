#ifndef VORM_PLATFORM_GLWINDOWCONTEXT_H
#define VORM_PLATFORM_GLWINDOWCONTEXT_H

#include <string>

struct SDL_Window;

// A window with an OpenGL context of the requested version made current on
// the calling thread and GLEW started: what GL tests and tools draw into.
namespace Win32 {

// Starts the video system once per process (X11 driver, a few tries against a
// busy server). Returns false with the reason when no display can be had.
bool StartVideo(std::string* pError);

// Starts GLEW for the current context (experimental entry points on) and
// drops the error a core context leaves queued by it.
bool StartGLEW(std::string* pError);

class GLWindowContext
{
public:
    GLWindowContext(int width = 64, int height = 64, int major = 3, int minor = 1, bool visible = false);
    ~GLWindowContext();
    GLWindowContext(const GLWindowContext&) = delete;
    GLWindowContext& operator=(const GLWindowContext&) = delete;

    bool Ok() const { return m_context != nullptr; }
    const std::string& Error() const { return m_error; }
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    SDL_Window* Window() const { return m_window; }

    // Shows the back buffer.
    void Swap();

private:
    SDL_Window* m_window = nullptr;
    void* m_context = nullptr;
    int m_width;
    int m_height;
    std::string m_error;
};

} // namespace Win32

#endif
