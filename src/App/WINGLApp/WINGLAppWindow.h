#ifndef VORM_APP_WINGLAPP_WINGLAPPWINDOW_H
#define VORM_APP_WINGLAPP_WINGLAPPWINDOW_H

#include "WINGLApp/WINGLWindow.h"

namespace Vorm {

class WINGLApp;
class Win32InputSource;

// The application's window: routes size and close messages to the
// application, input messages to its input source, and switches the display
// to and from full screen.
class WINGLAppWindow : public WINGLWindow
{
public:
    explicit WINGLAppWindow(WINGLApp* app);
    ~WINGLAppWindow() override;

    bool Create(int x, int y, int width, int height) override;
    Win32::LRESULT HandleMessage(Win32::UINT msg, Win32::WPARAM wParam, Win32::LPARAM lParam) override;

    void EnterFullscreen(int width, int height);
    void LeaveFullscreen();
    bool IsFullscreen() const { return m_bFullscreen; }
    void SetInputEnabled(bool enabled) { m_bInputEnabled = enabled; }
    Win32InputSource* GetInputSource();

private:
    WINGLApp* m_pApp;
    bool m_bFullscreen;
    int m_iSavedX;
    int m_iSavedY;
    int m_iSavedWidth;
    int m_iSavedHeight;
    bool m_bInputEnabled;
    Win32InputSource* m_pInputSource;
};

} // namespace Vorm

#endif
