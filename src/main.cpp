// Program entry of both demos: the application and the demo, run and torn down in order.
#include "AppRunner.h"
#include "Platform/GLWindowContext.h"
#include "WINGLApp/WINGLApp.h"

#include <iostream>
#include <string>

int main()
{
    AppRunner runner(new Vorm::WINGLApp(nullptr, L"", 1, true));
    if (!runner.Init()) {
        runner.Destroy();
        // Without a display (or a GL 3.1 context) there is nothing to show:
        // say so instead of ending silently.
        std::string reason;
        if (Win32::StartVideo(&reason))
            reason = "no window with an OpenGL 3.1 context";
        std::cout << "Cannot open the demo's window: " << reason << "." << std::endl;
        return 1;
    }
    const int result = runner.Run();
    runner.Destroy();
    return result;
}
