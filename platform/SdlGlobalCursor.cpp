#include "platform/SdlGlobalCursor.h"

// Last: X11 defines macros (None, Bool, Status) that clash with the headers above.
#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>

namespace velmora {

Point sdlGlobalCursor(SDL_Window* window) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (window != nullptr && SDL_GetWindowWMInfo(window, &info) &&
        info.subsystem == SDL_SYSWM_X11) {
        ::Window root = 0, child = 0;
        int rootX = 0, rootY = 0, windowX = 0, windowY = 0;
        unsigned int buttons = 0;
        // False only when the pointer is on another screen of the display; SDL answers then.
        if (XQueryPointer(info.info.x11.display, info.info.x11.window, &root, &child, &rootX,
                          &rootY, &windowX, &windowY, &buttons)) {
            return {rootX, rootY};
        }
    }
    int x = 0, y = 0;
    SDL_GetGlobalMouseState(&x, &y);
    return {x, y};
}

}  // namespace velmora
