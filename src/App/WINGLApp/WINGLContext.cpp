#include "WINGLApp/WINGLContext.h"

#include "Core/Memory/MemTracker.h"
#include "Platform/GLWindowContext.h"
#include "Platform/Win32GL.h"
#include "RenderGL/GLUtil.h"

namespace Vorm {

namespace {

const int kAttribCount = 10;

// Colour and depth only: no stencil, alpha or accumulation bits.
Win32::PIXELFORMATDESCRIPTOR MakePixelFormat()
{
    Win32::PIXELFORMATDESCRIPTOR pfd = {};
    pfd.nSize = sizeof(pfd);
    pfd.nVersion = 1;
    pfd.dwFlags = Win32::PFD_DRAW_TO_WINDOW | Win32::PFD_SUPPORT_OPENGL | Win32::PFD_DOUBLEBUFFER;
    pfd.iPixelType = Win32::PFD_TYPE_RGBA;
    pfd.cColorBits = 32;
    pfd.cDepthBits = 32;
    pfd.iLayerType = Win32::PFD_MAIN_PLANE;
    return pfd;
}

} // namespace

WINGLContext::WINGLContext(Win32::HWND window, const GLContextDesc& desc)
    : m_hdc(nullptr)
    , m_hglrc(nullptr)
    , m_bValid(false)
{
    m_hdc = Win32::GetWindowDC(window);
    const Win32::PIXELFORMATDESCRIPTOR pfd = MakePixelFormat();
    const int format = Win32::ChoosePixelFormat(m_hdc, &pfd);
    if (format == 0)
        return;
    if (!Win32::SetPixelFormat(m_hdc, format, &pfd))
        return;

    // GLEW and the versioned-context entry point need a context to exist.
    Win32::HGLRC temp = Win32::wglCreateContext(m_hdc);
    if (!Win32::wglMakeCurrent(m_hdc, temp)) {
        Win32::wglDeleteContext(temp);
        return;
    }
    if (!Win32::StartGLEW(nullptr)) {
        Win32::wglMakeCurrent(nullptr, nullptr);
        Win32::wglDeleteContext(temp);
        return;
    }

    if (desc.major <= 2) {
        m_hglrc = temp;
        m_bValid = true;
        Win32::wglMakeCurrent(nullptr, nullptr);
        return;
    }

    int glMajor = 0, glMinor = 0, glslMajor = 0, glslMinor = 0;
    GetGLVersion(glMajor, glMinor, glslMajor, glslMinor);
    if (glMajor < desc.major || (glMajor == desc.major && glMinor < desc.minor)) {
        Win32::wglMakeCurrent(nullptr, nullptr);
        Win32::wglDeleteContext(temp);
        return;
    }

    int* attribs = VORM_NEW int[kAttribCount];
    int n = 0;
    attribs[n++] = Win32::WGL_CONTEXT_MAJOR_VERSION_ARB;
    attribs[n++] = desc.major;
    attribs[n++] = Win32::WGL_CONTEXT_MINOR_VERSION_ARB;
    attribs[n++] = desc.minor;
    attribs[n++] = Win32::WGL_CONTEXT_FLAGS_ARB;
    attribs[n++] = Win32::WGL_CONTEXT_FORWARD_COMPATIBLE_BIT_ARB;
    // 3.2 brought profiles; later minors need the core one as well.
    if (desc.minor >= 2) {
        attribs[n++] = Win32::WGL_CONTEXT_PROFILE_MASK_ARB;
        attribs[n++] = Win32::WGL_CONTEXT_CORE_PROFILE_BIT_ARB;
    }
    while (n < kAttribCount)
        attribs[n++] = 0;

    m_hglrc = Win32::wglCreateContextAttribsARB(m_hdc, nullptr, attribs);
    m_bValid = m_hglrc != nullptr;

    VORM_DELETE[] attribs;
    Win32::wglMakeCurrent(nullptr, nullptr);
    Win32::wglDeleteContext(temp);
}

WINGLContext::~WINGLContext()
{
    if (m_hglrc)
        Win32::wglDeleteContext(m_hglrc);
}

bool WINGLContext::IsValid()
{
    return m_bValid;
}

void WINGLContext::MakeCurrent()
{
    Win32::wglMakeCurrent(m_hdc, m_hglrc);
}

void WINGLContext::ReleaseCurrent()
{
    Win32::wglMakeCurrent(nullptr, nullptr);
}

void WINGLContext::SwapBuffers()
{
    Win32::SwapBuffers(m_hdc);
}

} // namespace Vorm
