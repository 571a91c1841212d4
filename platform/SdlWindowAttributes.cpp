#include "platform/SdlWindowAttributes.h"

#include "platform/OperatingSystem.h"
#include "platform/OsWindowRules.h"

// Last: X11 defines macros (None, Bool, Status) that clash with the headers above.
#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace velmora {

namespace {

// From the Motif window-manager protocol.
constexpr std::uint32_t kHintsFunctions = 1u << 0;
constexpr std::uint32_t kHintsDecorations = 1u << 1;
constexpr std::uint32_t kFunctionResize = 1u << 1;
constexpr std::uint32_t kFunctionMove = 1u << 2;
constexpr std::uint32_t kFunctionMinimize = 1u << 3;
constexpr std::uint32_t kFunctionMaximize = 1u << 4;
constexpr std::uint32_t kFunctionClose = 1u << 5;
constexpr std::uint32_t kDecorationBorder = 1u << 1;
constexpr std::uint32_t kDecorationResizeHandle = 1u << 2;
constexpr std::uint32_t kDecorationTitle = 1u << 3;
constexpr std::uint32_t kDecorationMenu = 1u << 4;
constexpr std::uint32_t kDecorationMinimize = 1u << 5;
constexpr std::uint32_t kDecorationMaximize = 1u << 6;

struct MotifWindowHints {
    std::uint32_t flags = 0;  ///< which of the two fields below count
    std::uint32_t functions = 0;
    std::uint32_t decorations = 0;
};

MotifWindowHints motifHintsFor(std::uint32_t style) {
    if (!styleHasFrame(style)) {
        return {kHintsDecorations, 0, 0};
    }
    MotifWindowHints hints{kHintsFunctions | kHintsDecorations, kFunctionMove, kDecorationBorder};
    if ((style & WS_CAPTION) == WS_CAPTION) {
        hints.decorations |= kDecorationTitle;
    }
    if ((style & WS_SYSMENU) != 0) {
        hints.functions |= kFunctionClose;
        hints.decorations |= kDecorationMenu;
    }
    if ((style & WS_THICKFRAME) != 0) {
        hints.functions |= kFunctionResize;
        hints.decorations |= kDecorationResizeHandle;
    }
    if ((style & WS_MINIMIZEBOX) != 0) {
        hints.functions |= kFunctionMinimize;
        hints.decorations |= kDecorationMinimize;
    }
    if ((style & WS_MAXIMIZEBOX) != 0) {
        hints.functions |= kFunctionMaximize;
        hints.decorations |= kDecorationMaximize;
    }
    return hints;
}

}  // namespace

void applySdlWindowStyleHints(SDL_Window* window, std::uint32_t style) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (window == nullptr || !SDL_GetWindowWMInfo(window, &info) ||
        info.subsystem != SDL_SYSWM_X11) {
        return;
    }
    const MotifWindowHints hints = motifHintsFor(style);
    // Format 32 properties travel as longs: flags, functions, decorations, input mode, status.
    const long property[5] = {static_cast<long>(hints.flags), static_cast<long>(hints.functions),
                              static_cast<long>(hints.decorations), 0, 0};
    Display* display = info.info.x11.display;
    const Atom name = XInternAtom(display, "_MOTIF_WM_HINTS", False);
    XChangeProperty(display, info.info.x11.window, name, name, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(property), 5);
    // A pop-up is the program's full screen, and Windows' shell keeps its taskbar below a
    // window that covers the display. Here the window manager is asked to do the same (its
    // panels would otherwise cover the bottom of the picture); a framed window gives it up.
    XEvent state{};
    state.xclient.type = ClientMessage;
    state.xclient.window = info.info.x11.window;
    state.xclient.message_type = XInternAtom(display, "_NET_WM_STATE", False);
    state.xclient.format = 32;
    state.xclient.data.l[0] = styleHasFrame(style) ? 0 : 1;  // remove, add
    state.xclient.data.l[1] =
        static_cast<long>(XInternAtom(display, "_NET_WM_STATE_FULLSCREEN", False));
    state.xclient.data.l[3] = 1;  // from an application
    XSendEvent(display, DefaultRootWindow(display), False,
               SubstructureRedirectMask | SubstructureNotifyMask, &state);
    XFlush(display);
}

}  // namespace velmora
