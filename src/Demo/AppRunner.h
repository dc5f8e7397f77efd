// Drives one program run: creates the application and the demo, runs the
// main loop, and destroys the demo before the application.
#ifndef VORM_DEMO_APPRUNNER_H
#define VORM_DEMO_APPRUNNER_H

namespace Vorm {
class IApp;
class IExec;
} // namespace Vorm

class AppRunner
{
public:
    explicit AppRunner(Vorm::IApp* app);
    ~AppRunner();
    AppRunner(const AppRunner&) = delete;
    AppRunner& operator=(const AppRunner&) = delete;

    bool Init();
    int Run();
    void Destroy();

private:
    Vorm::IExec* m_pExec;
    Vorm::IApp* m_pApp;
    bool m_bOk;
};

#endif
