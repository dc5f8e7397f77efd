#ifndef VORM_APP_WINGLAPP_WINGLAPP_H
#define VORM_APP_WINGLAPP_WINGLAPP_H

#include "Platform/Win32Types.h"
#include "WINGLApp/IApp.h"

namespace Vorm {

class IRenderer;
class InputMngr;
class WINGLAppWindow;

// The application on a system window with an OpenGL context: console,
// window, input manager and renderer, and the message loop that ticks the
// application frame whenever no message waits.
class WINGLApp : public IApp
{
public:
    // The command line and show command are not used.
    WINGLApp(Win32::HINSTANCE instance, const wchar_t* commandLine, int showCommand, bool console);
    ~WINGLApp() override;

    bool Create() override;
    // Returns the quit message's code: 0 when the window was closed.
    int Run(IExec* pExec) override;
    // The application window (a WINGLAppWindow).
    boost::shared_ptr<IWindow> GetWindow() override;

    // Every size message of the window; passed to the logic once running.
    void OnResize(int width, int height);

private:
    void CreateConsole();

    bool m_bRunning;
    Win32::HINSTANCE m_hInstance;
    boost::shared_ptr<WINGLAppWindow> m_spWindow;
    IExec* m_pExec;
    IRenderer* m_pRenderer;
    InputMngr* m_pInputManager;
};

} // namespace Vorm

#endif
