#ifndef VORM_APP_WINGLAPP_WINGLWINDOW_H
#define VORM_APP_WINGLAPP_WINGLWINDOW_H

#include "Platform/Win32Window.h"
#include "WINGLApp/GLWindow.h"

namespace Vorm {

class WINGLContext;

// A system window with an OpenGL context: the window class, the static
// window procedure, placement and the context. Messages go to HandleMessage.
class WINGLWindow : public GLWindow
{
public:
    WINGLWindow();
    // Deletes the context, then the system window when it still exists.
    ~WINGLWindow() override;

    WINGLWindow(const WINGLWindow&) = delete;
    WINGLWindow& operator=(const WINGLWindow&) = delete;

    static bool RegisterClass(Win32::HINSTANCE instance);

    bool Create(int x, int y, int width, int height) override;
    void Show() override;
    void Hide() override;
    int GetWidth() override;
    int GetHeight() override;
    int GetX() override;
    int GetY() override;
    void SwapBuffers() override;
    void SetPosition(int x, int y, int width, int height) override;
    bool SetupGL(const GLContextDesc& desc) override;
    boost::shared_ptr<GLContext> GetContext() override;
    virtual void MakeCurrent();
    virtual void ReleaseCurrent();
    virtual Win32::LRESULT HandleMessage(Win32::UINT msg, Win32::WPARAM wParam, Win32::LPARAM lParam) = 0;

    Win32::HWND GetHandle() const { return m_hwnd; }

protected:
    static Win32::LRESULT WndProc(Win32::HWND hwnd, Win32::UINT msg, Win32::WPARAM wParam, Win32::LPARAM lParam);

    Win32::HWND m_hwnd;
    boost::shared_ptr<WINGLContext> m_spContext;
    int m_iX;
    int m_iY;
    int m_iWidth;
    int m_iHeight;

private:
    static Win32::WNDCLASSEXW s_windowClass;
};

} // namespace Vorm

#endif
