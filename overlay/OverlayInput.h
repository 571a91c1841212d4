#pragma once
// What the overlay reads of one pass's input, and how it becomes Dear ImGui's. The loop fills
// it from its input snapshot through the operating-system seam, so the scripted system drives
// the overlay as the real one does.
#include "platform/OperatingSystem.h"

struct ImGuiIO;

namespace velmora {

struct OverlayInput {
    bool helpPressed = false;   ///< F1 went down this pass
    bool panelPressed = false;  ///< F2 went down this pass
    Rect client;                ///< the window's client area, client pixels
    Point cursor;               ///< client pixels
    bool leftHeld = false, rightHeld = false, middleHeld = false;
};

/// A pass's time step as the overlay counts it: seconds, a step that is not a positive
/// number counts as 1/60 s (ImGui needs a positive step, and a message must still expire
/// under a fixed frame time of 0).
float overlayTimeStep(float seconds);

/// Fills io for one pass: the display is the client area, the cursor and the left, right and
/// middle buttons are the input's, and the time step is overlayTimeStep(seconds).
void feedOverlayInput(ImGuiIO& io, const OverlayInput& input, float seconds);

}  // namespace velmora
