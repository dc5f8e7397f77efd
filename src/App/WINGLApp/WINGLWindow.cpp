#include "WINGLApp/WINGLWindow.h"

#include "Core/Memory/MemTracker.h"
#include "WINGLApp/WINGLContext.h"

namespace Vorm {

namespace {
const wchar_t* const kClassName = L"VormWindowWinGLClass";
}

Win32::WNDCLASSEXW WINGLWindow::s_windowClass = {};

WINGLWindow::WINGLWindow()
    : m_hwnd(nullptr)
    , m_iX(0)
    , m_iY(0)
    , m_iWidth(0)
    , m_iHeight(0)
{
}

WINGLWindow::~WINGLWindow()
{
    m_spContext.reset();
    if (Win32::IsWindow(m_hwnd)) {
        // This object is half gone: its messages must not reach it any more.
        Win32::SetWindowLongW(m_hwnd, Win32::GWL_USERDATA, 0);
        Win32::DestroyWindow(m_hwnd);
    }
    m_hwnd = nullptr;
}

bool WINGLWindow::RegisterClass(Win32::HINSTANCE instance)
{
    s_windowClass = Win32::WNDCLASSEXW{};
    s_windowClass.cbSize = sizeof(s_windowClass);
    s_windowClass.style = Win32::CS_HREDRAW | Win32::CS_VREDRAW | Win32::CS_OWNDC;
    s_windowClass.lpfnWndProc = &WINGLWindow::WndProc;
    s_windowClass.hInstance = instance;
    s_windowClass.lpszClassName = kClassName;
    return Win32::RegisterClassExW(&s_windowClass) != 0;
}

Win32::LRESULT WINGLWindow::WndProc(Win32::HWND hwnd, Win32::UINT msg, Win32::WPARAM wParam, Win32::LPARAM lParam)
{
    if (msg == Win32::WM_NCCREATE) {
        const Win32::CREATESTRUCTW* create = reinterpret_cast<const Win32::CREATESTRUCTW*>(lParam);
        WINGLWindow* window = static_cast<WINGLWindow*>(create->lpCreateParams);
        window->m_hwnd = hwnd;
        Win32::SetWindowLongW(hwnd, Win32::GWL_USERDATA, reinterpret_cast<Win32::LONG_PTR>(window));
        return Win32::DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    WINGLWindow* window = reinterpret_cast<WINGLWindow*>(Win32::GetWindowLongW(hwnd, Win32::GWL_USERDATA));
    if (window)
        return window->HandleMessage(msg, wParam, lParam);
    return Win32::DefWindowProcW(hwnd, msg, wParam, lParam);
}

bool WINGLWindow::Create(int x, int y, int width, int height)
{
    // The handle arrives through WM_NCCREATE.
    Win32::CreateWindowExW(0, kClassName, L"VormWindow", Win32::WS_OVERLAPPEDWINDOW, x, y, width, height,
                           nullptr, nullptr, s_windowClass.hInstance, this);
    if (m_hwnd)
        SetPosition(x, y, width, height);
    return m_hwnd != nullptr;
}

void WINGLWindow::Show()
{
    Win32::ShowWindow(m_hwnd, Win32::SW_SHOW);
    Win32::UpdateWindow(m_hwnd);
}

void WINGLWindow::Hide()
{
    Win32::ShowWindow(m_hwnd, Win32::SW_HIDE);
}

int WINGLWindow::GetWidth()
{
    return m_iWidth;
}

int WINGLWindow::GetHeight()
{
    return m_iHeight;
}

int WINGLWindow::GetX()
{
    return m_iX;
}

int WINGLWindow::GetY()
{
    return m_iY;
}

void WINGLWindow::SwapBuffers()
{
    m_spContext->SwapBuffers();
}

void WINGLWindow::SetPosition(int x, int y, int width, int height)
{
    Win32::RECT client = {}, outer = {};
    Win32::GetClientRect(m_hwnd, &client);
    Win32::GetWindowRect(m_hwnd, &outer);
    const int frameWidth = (outer.right - outer.left) - (client.right - client.left);
    const int frameHeight = (outer.bottom - outer.top) - (client.bottom - client.top);
    Win32::MoveWindow(m_hwnd, x, y, width + frameWidth, height + frameHeight, 1);
}

bool WINGLWindow::SetupGL(const GLContextDesc& desc)
{
    m_spContext.reset(VORM_NEW WINGLContext(m_hwnd, desc));
    return m_spContext->IsValid();
}

boost::shared_ptr<GLContext> WINGLWindow::GetContext()
{
    return m_spContext;
}

void WINGLWindow::MakeCurrent()
{
    m_spContext->MakeCurrent();
}

void WINGLWindow::ReleaseCurrent()
{
    m_spContext->ReleaseCurrent();
}

} // namespace Vorm
