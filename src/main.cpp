// Program entry of both demos: the application and the demo, run and torn down in order.
#include "AppRunner.h"
#include "WINGLApp/WINGLApp.h"

int main()
{
    AppRunner runner(new Vorm::WINGLApp(nullptr, L"", 1, true));
    if (!runner.Init()) {
        runner.Destroy();
        return 0;
    }
    const int result = runner.Run();
    runner.Destroy();
    return result;
}
