#ifndef VORM_PLATFORM_HELDBUTTONS_H
#define VORM_PLATFORM_HELDBUTTONS_H

#include <SDL.h>

namespace Win32 {

// SDL lets go of the pointer when a window loses the focus, so a button
// still down is released over another window; SDL then takes it for held
// and drops its next press. This tells SDL of those releases at once, as
// X events to the window, so the next press in it is seen.
void ReleaseHeldButtons(SDL_Window* window);

} // namespace Win32

#endif
