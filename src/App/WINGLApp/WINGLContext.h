#ifndef VORM_APP_WINGLAPP_WINGLCONTEXT_H
#define VORM_APP_WINGLAPP_WINGLCONTEXT_H

#include "Platform/Win32Types.h"
#include "WINGLApp/GLContext.h"
#include "WINGLApp/GLContextDesc.h"

namespace Vorm {

// The OpenGL context of a window: a legacy context to start GLEW and check
// the driver's version, then a context of the requested version above 2.
class WINGLContext : public GLContext
{
public:
    // Leaves no context current; IsValid tells whether creation succeeded.
    WINGLContext(Win32::HWND window, const GLContextDesc& desc);
    // Deletes the rendering context (no longer current afterwards).
    ~WINGLContext();

    WINGLContext(const WINGLContext&) = delete;
    WINGLContext& operator=(const WINGLContext&) = delete;

    bool IsValid() override;
    void MakeCurrent() override;
    void ReleaseCurrent() override;
    void SwapBuffers() override;

private:
    Win32::HDC m_hdc;
    Win32::HGLRC m_hglrc;
    bool m_bValid;
};

} // namespace Vorm

#endif
