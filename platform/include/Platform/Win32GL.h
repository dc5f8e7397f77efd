#ifndef VORM_PLATFORM_WIN32GL_H
#define VORM_PLATFORM_WIN32GL_H

#include "Platform/Win32Types.h"

// OpenGL rendering contexts on a window's surface: pixel format, legacy and
// versioned contexts, making them current and showing the back buffer.
namespace Win32 {

const DWORD PFD_DOUBLEBUFFER = 0x00000001;
const DWORD PFD_DRAW_TO_WINDOW = 0x00000004;
const DWORD PFD_SUPPORT_OPENGL = 0x00000020;
const BYTE PFD_TYPE_RGBA = 0;
const BYTE PFD_MAIN_PLANE = 0;

const int WGL_CONTEXT_MAJOR_VERSION_ARB = 0x2091;
const int WGL_CONTEXT_MINOR_VERSION_ARB = 0x2092;
const int WGL_CONTEXT_FLAGS_ARB = 0x2094;
const int WGL_CONTEXT_PROFILE_MASK_ARB = 0x9126;
const int WGL_CONTEXT_FORWARD_COMPATIBLE_BIT_ARB = 0x0002;
const int WGL_CONTEXT_CORE_PROFILE_BIT_ARB = 0x0001;

struct PIXELFORMATDESCRIPTOR
{
    WORD nSize;
    WORD nVersion;
    DWORD dwFlags;
    BYTE iPixelType;
    BYTE cColorBits;
    BYTE cAlphaBits;
    BYTE cDepthBits;
    BYTE cStencilBits;
    BYTE iLayerType;
};

HDC GetWindowDC(HWND hwnd);

// The window's format closest to the request (a depth the surface cannot
// give comes down to the one it has, 24 bits where 32 are missing); 0 when
// the request is not for an RGBA OpenGL window.
int ChoosePixelFormat(HDC hdc, const PIXELFORMATDESCRIPTOR* pDesc);
BOOL SetPixelFormat(HDC hdc, int format, const PIXELFORMATDESCRIPTOR* pDesc);

// A context of the driver's legacy kind. Not made current.
HGLRC wglCreateContext(HDC hdc);
// attribs: name/value pairs ending with 0. Null when the driver refuses.
// Not made current.
HGLRC wglCreateContextAttribsARB(HDC hdc, HGLRC share, const int* attribs);
BOOL wglDeleteContext(HGLRC context);
// Null, null: no context current.
BOOL wglMakeCurrent(HDC hdc, HGLRC context);
HGLRC wglGetCurrentContext();
BOOL SwapBuffers(HDC hdc);

// Test support: contexts not yet deleted.
int CountLiveContexts();

} // namespace Win32

#endif
