#include "WINGLApp/WINGLAppWindow.h"

#include "Core/Util/Assert.h"
#include "WINGLApp/WINGLApp.h"
#include "WINGLApp/Win32InputSource.h"

namespace Vorm {

namespace {

const Win32::DWORD kFullscreenStyle = Win32::WS_POPUP | Win32::WS_CLIPSIBLINGS | Win32::WS_CLIPCHILDREN;
const Win32::DWORD kWindowedStyle = Win32::WS_POPUP | Win32::WS_CLIPCHILDREN | Win32::WS_OVERLAPPEDWINDOW;
const Win32::DWORD kFullscreenBitsPerPixel = 32;

} // namespace

WINGLAppWindow::WINGLAppWindow(WINGLApp* app)
    : m_pApp(app)
    , m_bFullscreen(false)
    , m_iSavedX(0)
    , m_iSavedY(0)
    , m_iSavedWidth(0)
    , m_iSavedHeight(0)
    , m_bInputEnabled(false)
    , m_pInputSource(nullptr)
{
}

WINGLAppWindow::~WINGLAppWindow()
{
    delete m_pInputSource;
    m_pInputSource = nullptr;
}

bool WINGLAppWindow::Create(int x, int y, int width, int height)
{
    if (WINGLWindow::Create(x, y, width, height)) {
        m_pInputSource = new Win32InputSource();
        if (m_pInputSource->Init())
            return true;
    }
    delete m_pInputSource;
    m_pInputSource = nullptr;
    return false;
}

Win32::LRESULT WINGLAppWindow::HandleMessage(Win32::UINT msg, Win32::WPARAM wParam, Win32::LPARAM lParam)
{
    switch (msg) {
    case Win32::WM_DESTROY:
        Win32::PostQuitMessage(0);
        return 0;
    case Win32::WM_SIZE: {
        Win32::RECT client = {}, outer = {};
        Win32::GetClientRect(m_hwnd, &client);
        Win32::GetWindowRect(m_hwnd, &outer);
        m_iWidth = client.right - client.left;
        m_iHeight = client.bottom - client.top;
        m_iX = outer.left;
        m_iY = outer.top;
        m_pApp->OnResize(m_iWidth, m_iHeight);
        return 0;
    }
    default:
        if (m_bInputEnabled && m_pInputSource->HandleMessage(m_hwnd, msg, wParam, lParam))
            return 0;
        return Win32::DefWindowProcW(m_hwnd, msg, wParam, lParam);
    }
}

void WINGLAppWindow::EnterFullscreen(int width, int height)
{
    if (m_bFullscreen)
        return;
    m_iSavedX = m_iX;
    m_iSavedY = m_iY;
    m_iSavedWidth = m_iWidth;
    m_iSavedHeight = m_iHeight;

    Win32::DEVMODEW mode = {};
    mode.dmSize = sizeof(mode);
    for (Win32::DWORD i = 0; Win32::EnumDisplaySettingsW(nullptr, i, &mode); ++i)
        if (mode.dmBitsPerPel == kFullscreenBitsPerPixel && mode.dmPelsWidth == static_cast<Win32::DWORD>(width) &&
            mode.dmPelsHeight == static_cast<Win32::DWORD>(height))
            break;
    // Without a match the last mode seen is asked for with the wanted size,
    // which the display refuses.
    mode.dmBitsPerPel = kFullscreenBitsPerPixel;
    mode.dmPelsWidth = static_cast<Win32::DWORD>(width);
    mode.dmPelsHeight = static_cast<Win32::DWORD>(height);
    mode.dmFields = Win32::DM_BITSPERPEL | Win32::DM_PELSWIDTH | Win32::DM_PELSHEIGHT;

    if (Win32::ChangeDisplaySettingsW(&mode, Win32::CDS_FULLSCREEN) == Win32::DISP_CHANGE_SUCCESSFUL) {
        Win32::SetWindowLongW(m_hwnd, Win32::GWL_STYLE, kFullscreenStyle);
        Win32::SetWindowPos(m_hwnd, nullptr, 0, 0, width, height, Win32::SWP_FRAMECHANGED | Win32::SWP_SHOWWINDOW);
        m_bFullscreen = true;
    } else {
        Win32::MessageBoxW(nullptr, L"Cannot change to selected desktop resolution.", nullptr, Win32::MB_ICONERROR);
    }
}

void WINGLAppWindow::LeaveFullscreen()
{
    if (!m_bFullscreen)
        return;
    Win32::ChangeDisplaySettingsW(nullptr, Win32::CDS_FULLSCREEN);
    Win32::SetWindowLongW(m_hwnd, Win32::GWL_STYLE, kWindowedStyle);
    Win32::SetWindowPos(m_hwnd, nullptr, m_iSavedX, m_iSavedY, m_iSavedWidth, m_iSavedHeight,
                        Win32::SWP_FRAMECHANGED | Win32::SWP_SHOWWINDOW);
    SetPosition(m_iSavedX, m_iSavedY, m_iSavedWidth, m_iSavedHeight);
    m_bFullscreen = false;
}

Win32InputSource* WINGLAppWindow::GetInputSource()
{
    VORM_ASSERT(m_pInputSource && "Window created ?");
    return m_pInputSource;
}

} // namespace Vorm
