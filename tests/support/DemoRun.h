// The demo set up as a program sets it up, for GL tests and benchmarks that
// own the window: working in the repository's bin/ (beside data/), a stub
// application and input, the GL renderer, and the demo initialised and sized
// to the window. Only for targets that link the demo.
#ifndef VORM_TESTS_DEMORUN_H
#define VORM_TESTS_DEMORUN_H

#include "RepoFiles.h"
#include "ScopedWorkingDir.h"
#include "StubApp.h"
#include "StubInputSource.h"
#include "Verdmoor.h"

#include "Core/Input/InputMngr.h"
#include "RenderGL/GLRenderer.h"

#include <memory>

class DemoRun
{
public:
    DemoRun(Verdmoor::Scene scene, int width, int height)
        : m_bin(RepoPath("bin")), m_app(width, height), m_renderer(new Vorm::GLRenderer())
    {
        m_input.SetInputSource(&m_keys);
        m_demo.reset(new Verdmoor(scene));
        m_demo->PreInit();
        m_demo->Init();
        m_demo->Resize(width, height);
    }
    // The demo goes first: its effects and scene hold GL objects of the renderer.
    ~DemoRun() { m_demo.reset(); }
    DemoRun(const DemoRun&) = delete;
    DemoRun& operator=(const DemoRun&) = delete;

    bool Ok() const { return m_bin.Ok() && m_demo->IsSceneReady(); }
    Verdmoor& Demo() { return *m_demo; }
    Vorm::GLRenderer& Renderer() { return *m_renderer; }
    StubApp& App() { return m_app; }
    StubInputSource& Keys() { return m_keys; }

private:
    ScopedWorkingDir m_bin;
    StubApp m_app;
    StubInputSource m_keys;
    Vorm::InputMngr m_input;
    std::unique_ptr<Vorm::GLRenderer> m_renderer;
    std::unique_ptr<Verdmoor> m_demo;
};

#endif
