#pragma once
// The cursor's screen position, as fresh as the window system has it.
// Implements: on X11, a direct query of the server. SDL's global mouse state there is a
// copy that SDL refreshes only when raw input arrives, so a pointer moved by another
// program (a warp by xdotool, a remote desktop) would go unseen until the next real motion.
// Leaves out: other video drivers, which get SDL's global mouse state as it is.
// Depends on: SDL2 (video, syswm), Xlib.
#include "platform/OperatingSystem.h"

struct SDL_Window;

namespace velmora {

/// The cursor in screen pixels. `window` names the X connection to ask; without one (null)
/// or off X11, SDL's global mouse state answers.
Point sdlGlobalCursor(SDL_Window* window);

}  // namespace velmora
