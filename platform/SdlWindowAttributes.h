#pragma once
// What SDL leaves out of a window style on X11: the buttons and functions the window manager
// offers. SDL only turns the whole decoration on or off, so a framed, fixed-size window still
// gets minimise and maximise from most window managers. These hints name exactly the
// caption, system menu, sizing border and boxes the style holds.
// Implements: the Motif window-manager hints (_MOTIF_WM_HINTS), which window managers read
// for decorations and allowed functions. Leaves out: other video drivers (Wayland has no
// such hint through SDL); there the window keeps what SDL gives it.
// Depends on: SDL2 (video, syswm), Xlib.
#include <cstdint>

struct SDL_Window;

namespace velmora {

/// Tells the window manager what the style offers, when the window lives on X11: a framed
/// style gets a border, a title and a window menu with move and close, plus resizing for
/// WS_THICKFRAME and the boxes it names; a pop-up gets no decoration and the full-screen
/// state, which keeps the window manager's panels below it. Call after every SDL
/// call that changes the border, since SDL writes its own hints over these.
void applySdlWindowStyleHints(SDL_Window* window, std::uint32_t style);

}  // namespace velmora
