#pragma once
// Shared by the SDL operating system and the OpenGL device: on X11 the framebuffer format is
// chosen when the window is made, so the window must be created after these are set.

namespace velmora {

/// Asks SDL for an OpenGL 3.3 core context, double buffering, 24-bit depth and 8-bit
/// stencil (the D24S8 depth-stencil of the device). Call before SDL_CreateWindow.
void prepareSdlGlWindowAttributes();

}  // namespace velmora
