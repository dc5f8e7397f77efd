#include "AppRunner.h"

#include "Verdmoor.h"
#include "WINGLApp/IApp.h"
#include "WINGLApp/ScopedGLContext.h"

namespace {

// Each program is built with the scene its set-up loads.
#if defined(VORM_DEMO_SCENE_NATURE1)
const Verdmoor::Scene kFirstScene = Verdmoor::eScene_Nature1;
#else
const Verdmoor::Scene kFirstScene = Verdmoor::eScene_World;
#endif

} // namespace

AppRunner::AppRunner(Vorm::IApp* app) : m_pExec(nullptr), m_pApp(app), m_bOk(false) {}

AppRunner::~AppRunner() { Destroy(); }

bool AppRunner::Init()
{
    if (!m_pApp->Create()) {
        delete m_pApp;
        m_pApp = nullptr;
        return false;
    }
    m_pExec = new Verdmoor(kFirstScene);
    if (!m_pExec->PreInit()) {
        Destroy();
        return false;
    }
    m_bOk = true;
    return true;
}

int AppRunner::Run() { return m_bOk ? m_pApp->Run(m_pExec) : 0; }

void AppRunner::Destroy()
{
    // The demo holds GL objects and sound: it goes before the application,
    // in the application's GL context, which the run left released.
    if (m_pExec) {
        Vorm::ScopedGLContext context(m_pApp ? m_pApp->GetWindow() : boost::shared_ptr<Vorm::IWindow>());
        delete m_pExec;
        m_pExec = nullptr;
    }
    if (m_pApp) {
        delete m_pApp;
        m_pApp = nullptr;
    }
}
