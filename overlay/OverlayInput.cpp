#include "overlay/OverlayInput.h"

#include <imgui.h>

#include <algorithm>
#include <cmath>

namespace velmora {

float overlayTimeStep(float seconds) {
    return std::isfinite(seconds) && seconds > 0.0f ? seconds : 1.0f / 60.0f;
}

void feedOverlayInput(ImGuiIO& io, const OverlayInput& input, float seconds) {
    io.DisplaySize = ImVec2(static_cast<float>(std::max(input.client.width(), 0)),
                            static_cast<float>(std::max(input.client.height(), 0)));
    io.DeltaTime = overlayTimeStep(seconds);
    io.MousePos = ImVec2(static_cast<float>(input.cursor.x), static_cast<float>(input.cursor.y));
    io.MouseDown[ImGuiMouseButton_Left] = input.leftHeld;
    io.MouseDown[ImGuiMouseButton_Right] = input.rightHeld;
    io.MouseDown[ImGuiMouseButton_Middle] = input.middleHeld;
}

}  // namespace velmora
