#include "HeldButtons.h"

#include <SDL_syswm.h>

namespace Win32 {

void ReleaseHeldButtons(SDL_Window* window)
{
    const Uint32 held = SDL_GetMouseState(nullptr, nullptr);
    if (held == 0)
        return;
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11)
        return;
    // SDL's left, middle and right are the X server's buttons 1 to 3.
    for (unsigned button = 1; button <= 3; ++button) {
        if (!(held & SDL_BUTTON(button)))
            continue;
        XEvent event = {};
        event.xbutton.type = ButtonRelease;
        event.xbutton.display = info.info.x11.display;
        event.xbutton.window = info.info.x11.window;
        event.xbutton.root = DefaultRootWindow(info.info.x11.display);
        event.xbutton.time = CurrentTime;
        event.xbutton.button = button;
        event.xbutton.same_screen = True;
        XSendEvent(info.info.x11.display, info.info.x11.window, False, ButtonReleaseMask, &event);
    }
    XFlush(info.info.x11.display);
}

} // namespace Win32
