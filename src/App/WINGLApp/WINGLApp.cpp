#include "WINGLApp/WINGLApp.h"

#include "Core/Input/InputMngr.h"
#include "Core/Memory/MemTracker.h"
#include "Core/Util/QuitRequest.h"
#include "Platform/Win32Window.h"
#include "RenderGL/GLRenderer.h"
#include "WINGLApp/IExec.h"
#include "WINGLApp/ScopedGLContext.h"
#include "WINGLApp/WINGLAppWindow.h"
#include "WINGLApp/Win32InputSource.h"
#include "WINGLApp/WindowDesc.h"

#include <cstdio>
#include <ios>

namespace Vorm {

namespace {

// A close or quit waiting in the message queue: the loop will end once it
// gets there, so whatever loads until then is wasted.
bool QuitWaiting()
{
    Win32::MSG msg;
    return Win32::PeekMessageW(&msg, nullptr, Win32::WM_CLOSE, Win32::WM_CLOSE, Win32::PM_NOREMOVE) ||
           Win32::PeekMessageW(&msg, nullptr, Win32::WM_QUIT, Win32::WM_QUIT, Win32::PM_NOREMOVE);
}

} // namespace

WINGLApp::WINGLApp(Win32::HINSTANCE instance, const wchar_t*, int, bool console)
    : IApp()
    , m_bRunning(false)
    , m_hInstance(instance)
    , m_pExec(nullptr)
    , m_pRenderer(nullptr)
    , m_pInputManager(nullptr)
{
    if (console)
        CreateConsole();
    QuitRequest::Register(&QuitWaiting);
}

WINGLApp::~WINGLApp()
{
    QuitRequest::Register(nullptr);
    // The renderer frees GL objects: its context must be current for that.
    if (m_pRenderer) {
        ScopedGLContext context(m_spWindow);
        VORM_DELETE m_pRenderer;
        m_pRenderer = nullptr;
    }
    if (m_pInputManager) {
        VORM_DELETE m_pInputManager;
        m_pInputManager = nullptr;
    }
    m_spWindow.reset();
}

void WINGLApp::CreateConsole()
{
    // The program's terminal is its console; text must show at once.
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    std::setvbuf(stderr, nullptr, _IONBF, 0);
    std::ios_base::sync_with_stdio(true);
}

bool WINGLApp::Create()
{
    if (!WINGLWindow::RegisterClass(m_hInstance))
        return false;
    m_spWindow.reset(VORM_NEW WINGLAppWindow(this));

    const WindowDesc desc;
    if (!m_spWindow->Create(desc.x, desc.y, desc.width, desc.height))
        return false;
    if (desc.fullscreen)
        m_spWindow->EnterFullscreen(desc.width, desc.height);

    const GLContextDesc glDesc = {3, 1};
    if (!m_spWindow->SetupGL(glDesc))
        return false;

    m_pInputManager = VORM_NEW InputMngr();
    m_pInputManager->SetInputSource(m_spWindow->GetInputSource());

    // The renderer sets GL state and reads the context's version as it is
    // made: it needs the context current for that, and leaves none current.
    m_spWindow->MakeCurrent();
    m_pRenderer = VORM_NEW GLRenderer();
    m_spWindow->ReleaseCurrent();

    m_spWindow->SetInputEnabled(true);
    m_spWindow->Show();
    return true;
}

int WINGLApp::Run(IExec* pExec)
{
    m_pExec = pExec;
    m_spWindow->MakeCurrent();
    m_pExec->Init();
    m_pExec->Resize(m_spWindow->GetWidth(), m_spWindow->GetHeight());
    m_bRunning = true;

    Win32::MSG msg = {};
    for (;;) {
        if (Win32::PeekMessageW(&msg, nullptr, 0, 0, Win32::PM_REMOVE)) {
            if (msg.message == Win32::WM_QUIT)
                break;
            Win32::TranslateMessage(&msg);
            Win32::DispatchMessageW(&msg);
        } else {
            Tick(m_pExec);
        }
    }

    m_pExec->Shutdown();
    m_spWindow->ReleaseCurrent();
    if (m_spWindow->IsFullscreen())
        m_spWindow->LeaveFullscreen();
    return static_cast<int>(msg.wParam);
}

boost::shared_ptr<IWindow> WINGLApp::GetWindow()
{
    return m_spWindow;
}

void WINGLApp::OnResize(int width, int height)
{
    if (m_bRunning)
        m_pExec->Resize(width, height);
}

} // namespace Vorm
