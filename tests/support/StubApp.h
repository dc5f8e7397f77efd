// The application singleton for code that reaches the frame without a
// message loop (the demo's tests and benchmark): owns a stub window.
#ifndef VORM_TESTS_STUBAPP_H
#define VORM_TESTS_STUBAPP_H

#include "StubWindow.h"

#include "WINGLApp/IApp.h"

#include <boost/shared_ptr.hpp>

class StubApp : public Vorm::IApp
{
public:
    StubApp(int width = 1024, int height = 768) : m_spWindow(new StubWindow(width, height)) {}

    bool Create() override { return true; }
    int Run(Vorm::IExec*) override { return 0; }
    boost::shared_ptr<Vorm::IWindow> GetWindow() override { return m_spWindow; }

    StubWindow& Window() { return *m_spWindow; }

private:
    boost::shared_ptr<StubWindow> m_spWindow;
};

#endif
