// Program entry of both demos: the application and the demo, run and torn down in order.
#include "AppRunner.h"
#include "Platform/GLWindowContext.h"
#include "WINGLApp/WINGLApp.h"

#include <iostream>
#include <string>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

int main()
{
#if defined(__GLIBC__)
    // Every set-up frees and makes again the same big blocks (images,
    // textures, shadow maps, vertex data). glibc would raise its mmap
    // threshold past each of them once freed and keep them in the heap
    // instead, which grows with the first reloads. Fixed thresholds send big
    // blocks back to the system and keep enough room for the frames' churn.
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
    mallopt(M_TRIM_THRESHOLD, 8 * 1024 * 1024);
#endif
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
