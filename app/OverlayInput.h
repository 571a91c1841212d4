#pragma once
// Dear ImGui's input for one pass, read from the input snapshot and the window through the
// operating-system seam, so the scripted system drives the overlay as the real one does.
#include "app/InputState.h"
#include "platform/OperatingSystem.h"

struct ImGuiIO;

namespace velmora {

/// A pass's time step as the overlay counts it: seconds, a step that is not a positive
/// number counts as 1/60 s (ImGui needs a positive step, and a message must still expire
/// under a fixed frame time of 0).
float overlayTimeStep(float seconds);

/// Fills io for one pass: the display is the window's client area, the cursor is the
/// snapshot's screen position in client pixels, the left, right and middle buttons are held
/// as the snapshot says, and the time step is overlayTimeStep(seconds).
void feedOverlayInput(ImGuiIO& io, const InputState& input, WindowHandle window, float seconds);

}  // namespace velmora
